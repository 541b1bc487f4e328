// Surface memory both platform files share: a malloc'd record that starts
// with zero-filled pixel memory.
#pragma once
#include <cstdint>
#include <cstdlib>

// A Surface (a plain record with a `void *pixels` member) with zeroed pixels
// for width x height 32-bit pixels and every other member zero; null when a
// side is not positive, the size overflows or memory runs out.
template <class Surface>
Surface *zr_pic_alloc_surface(int width, int height)
{
    if (width <= 0 || height <= 0 || (std::uint64_t)width * (std::uint64_t)height > SIZE_MAX / 4)
        return nullptr;
    void *pixels = std::calloc((std::size_t)width * (std::size_t)height, 4);
    if (!pixels)
        return nullptr;
    Surface *surface = static_cast<Surface *>(std::malloc(sizeof(Surface)));
    if (!surface) {
        std::free(pixels);
        return nullptr;
    }
    *surface = Surface{};
    surface->pixels = pixels;
    return surface;
}
