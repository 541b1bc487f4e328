// X11 pictures: plain memory, so a picture needs no display; the XImage over
// the same pixels is made when a window first needs it.
#include "ZR/Pic/ZR_Pic_X11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "ZR/Pic/private/surface_memory.h"

#include <cstdlib>

struct ZR_Pic_surface {
    void *pixels;
    int width;
    int height;
    XImage *image;
};

ZR_Pic_surface *zr_pic_surface_create(int width, int height)
{
    ZR_Pic_surface *surface = zr_pic_alloc_surface<ZR_Pic_surface>(width, height);
    if (surface) {
        surface->width = width;
        surface->height = height;
    }
    return surface;
}

void *zr_pic_surface_pixels(ZR_Pic_surface *surface)
{
    return surface ? surface->pixels : nullptr;
}

XImage *zr_pic_surface_ximage(ZR_Pic_surface *surface, Display *display)
{
    if (!surface || !display)
        return nullptr;
    if (surface->image)
        return surface->image;
    const int screen = DefaultScreen(display);
    Visual *visual = DefaultVisual(display, screen);
    // Pixels are 0xAARRGGBB words: the usual 24-bit true-colour layout.
    if (DefaultDepth(display, screen) < 24 || visual->red_mask != 0xFF0000 ||
        visual->green_mask != 0x00FF00 || visual->blue_mask != 0x0000FF)
        return nullptr;
    surface->image = XCreateImage(display, visual, (unsigned)DefaultDepth(display, screen), ZPixmap,
                                  0, static_cast<char *>(surface->pixels), (unsigned)surface->width,
                                  (unsigned)surface->height, 32, surface->width * 4);
    if (surface->image) {
        surface->image->byte_order = LSBFirst;
    }
    return surface->image;
}

void zr_pic_surface_destroy(ZR_Pic_surface *surface)
{
    if (!surface)
        return;
    if (surface->image) {
        // The pixels are ours: XDestroyImage must not free them.
        surface->image->data = nullptr;
        XDestroyImage(surface->image);
    }
    std::free(surface->pixels);
    std::free(surface);
}
