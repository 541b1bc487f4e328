// Helpers for the window tests: a solid test widget and a reference painter
// that composes whole widgets in attach order, without tiles.
#pragma once
#include "ZR/Wid/ZR_Wid.h"
#include "ZR/Win/ZR_Win.h"
#include "tests/pic/pic_reference.h"

#include <vector>

// Paints one colour; its hit answer is fixed. Records its draw calls.
class Solid : public ZR_Wid {
public:
    Solid(int l, int t, int w, int h, ZR_Pix_A32 c, bool hits = true) : colour(c), hits(hits)
    {
        left = l;
        top = t;
        width = w;
        height = h;
    }
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override
    {
        ++draws;
        for (int sy = src.top; sy < src.bottom; ++sy)
            for (int sx = src.left; sx < src.right; ++sx) {
                ZR_Pix_A32 &d = dst.row(y + sy - src.top)[x + sx - src.left];
                d = replace ? colour : reference_over(d, colour);
            }
    }
    bool hit(int, int) override { return hits; }
    ZR_Pix_A32 colour;
    bool hits;
    // Writes its colour instead of compositing it (a background that hides
    // what the reused tile buffer held).
    bool replace = false;
    int draws = 0;
};

// The tint rule, written from its definition.
inline ZR_Pix_A32 reference_tint(ZR_Pix_A32 p, double f)
{
    if (p.alpha * f > 255.0) {
        auto c = [f](int v) { return (std::uint8_t)std::fmin(255.0, std::floor(v * f)); };
        return {c(p.blue), c(p.green), c(p.red), p.alpha};
    }
    return {p.blue, p.green, p.red, (std::uint8_t)std::floor(p.alpha * f)};
}
