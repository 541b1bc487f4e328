// The 32-bit straight-alpha pixel and the drawing rectangle shared by
// pictures, filmstrips, windows and widgets.
#pragma once
#include <cstdint>

// Memory order blue, green, red, alpha (0xAARRGGBB as a little-endian word).
// Byte members only, so pixels may sit at any address of a resource.
struct ZR_Pix_A32 {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t alpha;
};
static_assert(sizeof(ZR_Pix_A32) == 4, "a pixel is 4 bytes");

// Left and top inclusive, right and bottom exclusive.
struct ZR_Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};
