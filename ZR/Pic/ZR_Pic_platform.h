// Platform seam of pictures: pixel storage that the platform's drawing can
// use in place. One implementation per platform, chosen by the build.
#pragma once

// Opaque per platform: plain memory (headless), memory an XImage can be made
// over (X11), a DIB section (Win32).
struct ZR_Pic_surface;

// A surface of width x height 32-bit pixels (both > 0), rows top-down without
// padding, or null when the platform cannot make one.
ZR_Pic_surface *zr_pic_surface_create(int width, int height);
// First pixel of the top row.
void *zr_pic_surface_pixels(ZR_Pic_surface *surface);
// Frees the surface and whatever the platform attached to it; null is fine.
void zr_pic_surface_destroy(ZR_Pic_surface *surface);
