// Win32 side of pictures: the DIB section under the pixels and the memory
// device context that the picture's users create and select it into.
#pragma once
#include "ZR/Pic/ZR_Pic_platform.h"

#include <windows.h>

// The DIB section's bitmap; null for a null surface.
HBITMAP zr_pic_surface_bitmap(ZR_Pic_surface *surface);
// The bitmap description the section was made from.
const BITMAPINFOHEADER *zr_pic_surface_header(ZR_Pic_surface *surface);
// The surface's memory device context, made on the first call (compatible
// with compatible, or with the screen when null), in MM_TEXT with the
// bitmap selected; null when it cannot be made. It lives as long as the
// surface.
HDC zr_pic_surface_dc(ZR_Pic_surface *surface, HDC compatible);
// Deletes the context (the next zr_pic_surface_dc makes a new one).
void zr_pic_surface_release_dc(ZR_Pic_surface *surface);
// The context if one was made, else null (makes none).
HDC zr_pic_surface_current_dc(ZR_Pic_surface *surface);
