// X11 side of pictures: the XImage a window hands to XPutImage. Xlib's
// types are only declared here, so including this adds none of its macros.
#pragma once
#include "ZR/Pic/ZR_Pic_platform.h"

struct _XDisplay; // Display
struct _XImage;   // XImage

// An XImage over the surface's own pixels (no copy), made for display on the
// first call and kept with the surface; null for a null surface or display,
// or when the display's default visual is not 24-bit true colour.
_XImage *zr_pic_surface_ximage(ZR_Pic_surface *surface, _XDisplay *display);
