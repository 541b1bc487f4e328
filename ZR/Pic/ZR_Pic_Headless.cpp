// Headless pictures: plain zero-filled memory.
#include "ZR/Pic/ZR_Pic_platform.h"

#include "ZR/Pic/private/surface_memory.h"

#include <cstdlib>

struct ZR_Pic_surface {
    void *pixels;
};

ZR_Pic_surface *zr_pic_surface_create(int width, int height)
{
    return zr_pic_alloc_surface<ZR_Pic_surface>(width, height);
}

void *zr_pic_surface_pixels(ZR_Pic_surface *surface)
{
    return surface ? surface->pixels : nullptr;
}

void zr_pic_surface_destroy(ZR_Pic_surface *surface)
{
    if (!surface)
        return;
    std::free(surface->pixels);
    std::free(surface);
}
