// Headless pictures: plain zero-filled memory.
#include "ZR/Pic/ZR_Pic_platform.h"

#include <cstdint>
#include <cstdlib>

struct ZR_Pic_surface {
    void *pixels;
};

ZR_Pic_surface *zr_pic_surface_create(int width, int height)
{
    if (width <= 0 || height <= 0 || (std::uint64_t)width * (std::uint64_t)height > SIZE_MAX / 4)
        return nullptr;
    void *pixels = std::calloc((std::size_t)width * (std::size_t)height, 4);
    if (!pixels)
        return nullptr;
    ZR_Pic_surface *surface = static_cast<ZR_Pic_surface *>(std::malloc(sizeof(ZR_Pic_surface)));
    if (!surface) {
        std::free(pixels);
        return nullptr;
    }
    surface->pixels = pixels;
    return surface;
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
