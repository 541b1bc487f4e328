// X11 side of pictures: the XImage a window hands to XPutImage.
#pragma once
#include "ZR/Pic/ZR_Pic_platform.h"

#include <X11/Xlib.h>

// An XImage over the surface's own pixels (no copy), made for display on the
// first call and kept with the surface; null for a null surface or when the
// display's default visual is not 24-bit true colour.
XImage *zr_pic_surface_ximage(ZR_Pic_surface *surface, Display *display);
