// Per-pixel references for the picture tests: the compositing rule written
// with floating-point floors instead of shifts.
#pragma once
#include "ZR/Pic/ZR_Pix.h"

#include <cmath>

inline ZR_Pix_A32 px(int r, int g, int b, int a)
{
    return {(std::uint8_t)b, (std::uint8_t)g, (std::uint8_t)r, (std::uint8_t)a};
}

// d + floor((s - d) * a / 256) per channel, alpha against itself.
inline ZR_Pix_A32 reference_over(ZR_Pix_A32 d, ZR_Pix_A32 s)
{
    auto ch = [&](int dv, int sv) {
        return (std::uint8_t)(dv + (int)std::floor((sv - dv) * s.alpha / 256.0));
    };
    return {ch(d.blue, s.blue), ch(d.green, s.green), ch(d.red, s.red), ch(d.alpha, s.alpha)};
}

inline bool same(ZR_Pix_A32 a, ZR_Pix_A32 b)
{
    return a.blue == b.blue && a.green == b.green && a.red == b.red && a.alpha == b.alpha;
}
