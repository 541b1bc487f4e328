// The one compositing rule, d += ((s - d) * a) >> 8 per channel, over a run
// of pixels: the inner loop of every repaint.
#pragma once
#include "ZR/Pic/ZR_Pix.h"

namespace zr_pic_detail {

// Arithmetic shift of a signed difference: rounds toward minus infinity, so
// opaque 255 over 0 gives 254 and the result stays within 0..255.
inline std::uint8_t mix(int d, int s, int a)
{
    return (std::uint8_t)(d + (((s - d) * a) >> 8));
}

inline void composite_disjoint(ZR_Pix_A32 *__restrict d, const ZR_Pix_A32 *__restrict s, int n)
{
    for (int i = 0; i < n; ++i) {
        const int a = s[i].alpha;
        d[i].red = mix(d[i].red, s[i].red, a);
        d[i].green = mix(d[i].green, s[i].green, a);
        d[i].blue = mix(d[i].blue, s[i].blue, a);
        d[i].alpha = mix(d[i].alpha, a, a);
    }
}

// A picture blended onto itself may overlap its own source: pixel by pixel
// in order then, without the no-alias promise that lets the loop above vectorize.
inline void composite_run(ZR_Pix_A32 *d, const ZR_Pix_A32 *s, int n)
{
    const std::uintptr_t dp = (std::uintptr_t)d, sp = (std::uintptr_t)s, bytes = 4u * (unsigned)n;
    if (dp < sp + bytes && sp < dp + bytes) {
        for (int i = 0; i < n; ++i) {
            const ZR_Pix_A32 src = s[i];
            const int a = src.alpha;
            d[i].red = mix(d[i].red, src.red, a);
            d[i].green = mix(d[i].green, src.green, a);
            d[i].blue = mix(d[i].blue, src.blue, a);
            d[i].alpha = mix(d[i].alpha, a, a);
        }
        return;
    }
    composite_disjoint(d, s, n);
}

// Integers of a resource header, little-endian, at any alignment.
inline std::int32_t read_i32(const unsigned char *p)
{
    return (std::int32_t)((std::uint32_t)p[0] | (std::uint32_t)p[1] << 8 |
                          (std::uint32_t)p[2] << 16 | (std::uint32_t)p[3] << 24);
}

// Clips a destination placement: shifts rect and (x, y) so that the drawn
// area lies inside a width x height destination. False when nothing is left.
inline bool clip_to_destination(ZR_Rect &rect, int &x, int &y, int width, int height)
{
    long long l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    long long dx = x, dy = y;
    if (dx < 0) {
        l -= dx;
        dx = 0;
    }
    if (dy < 0) {
        t -= dy;
        dy = 0;
    }
    if (r - l > width - dx)
        r = l + (width - dx);
    if (b - t > height - dy)
        b = t + (height - dy);
    if (l >= r || t >= b)
        return false;
    rect = {(std::int32_t)l, (std::int32_t)t, (std::int32_t)r, (std::int32_t)b};
    x = (int)dx;
    y = (int)dy;
    return true;
}

} // namespace zr_pic_detail
