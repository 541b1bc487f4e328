// The compositing rule to the bit, and blend's tiling and clipping, against
// a per-pixel reference written from the rule's arithmetic in floating point.
#include "ZR/Pic/ZR_Pic.h"
#include "tests/pic/pic_reference.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Picture = ZR_Pic<ZR_Pix_A32>;

void fill_random(Picture &p, std::mt19937 &rng)
{
    for (int i = 0; i < p.width * p.height; ++i)
        p.pixels[i] = px(rng() & 255, rng() & 255, rng() & 255, rng() & 255);
}

// One pixel of src composited over one of dst through blend.
ZR_Pix_A32 blend_one(ZR_Pix_A32 dst, ZR_Pix_A32 src)
{
    Picture s, d;
    s.resize(1, 1);
    d.resize(1, 1);
    s.pixels[0] = src;
    d.pixels[0] = dst;
    Picture::blend(s, d, 0, 0, {0, 0, 1, 1});
    return d.pixels[0];
}

} // namespace

TEST(Compositing, RuleEdgeCases)
{
    struct Case {
        const char *what;
        ZR_Pix_A32 dst, src, expected;
    } cases[] = {
        {"transparent source changes nothing", px(10, 200, 30, 77), px(255, 0, 255, 0),
         px(10, 200, 30, 77)},
        {"opaque white over opaque black", px(0, 0, 0, 255), px(255, 255, 255, 255),
         px(254, 254, 254, 255)},
        {"opaque black over white", px(255, 255, 255, 255), px(0, 0, 0, 255), px(0, 0, 0, 255)},
        {"opaque over transparent", px(0, 0, 0, 0), px(255, 255, 255, 255), px(254, 254, 254, 254)},
        {"half over rounds toward minus infinity", px(0, 255, 100, 255), px(255, 0, 101, 128),
         px(127, 127, 100, 191)},
    };
    for (const Case &c : cases) {
        const ZR_Pix_A32 got = blend_one(c.dst, c.src);
        EXPECT_TRUE(same(got, c.expected))
            << c.what << ": got " << (int)got.red << "," << (int)got.green << "," << (int)got.blue
            << "," << (int)got.alpha;
    }
}

TEST(Compositing, RandomPixelsMatchTheReference)
{
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        const ZR_Pix_A32 d = px(rng() & 255, rng() & 255, rng() & 255, rng() & 255);
        const ZR_Pix_A32 s = px(rng() & 255, rng() & 255, rng() & 255, rng() & 255);
        ASSERT_TRUE(same(blend_one(d, s), reference_over(d, s))) << i;
    }
}

// A 63 x 63 source over a 200 x 100 area, from several source origins
// (negative ones included): every pixel is the source at the wrapped place.
TEST(Compositing, BlendTilesTheSource)
{
    std::mt19937 rng(9);
    Picture src, dst, before;
    src.resize(63, 63);
    fill_random(src, rng);
    for (ZR_Rect rect :
         {ZR_Rect{0, 0, 200, 100}, ZR_Rect{5, 70, 205, 170}, ZR_Rect{-64, -1, 136, 99}}) {
        dst.resize(210, 110);
        fill_random(dst, rng);
        before.resize(210, 110);
        std::copy(dst.pixels, dst.pixels + 210 * 110, before.pixels);
        Picture::blend(src, dst, 3, 4, rect);
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 210; ++x) {
                const int sx = x - 3 + rect.left, sy = y - 4 + rect.top;
                const bool inside = x >= 3 && x < 203 && y >= 4 && y < 104;
                const ZR_Pix_A32 expected =
                    inside ? reference_over(before.row(y)[x],
                                            src.row(((sy % 63) + 63) % 63)[((sx % 63) + 63) % 63])
                           : before.row(y)[x];
                ASSERT_TRUE(same(dst.row(y)[x], expected)) << x << "," << y;
            }
    }
    // Destination column 63 of an unshifted tiling shows source column 0.
    dst.resize(200, 100);
    for (int i = 0; i < 200 * 100; ++i)
        dst.pixels[i] = px(0, 0, 0, 0);
    Picture::blend(src, dst, 0, 0, {0, 0, 200, 100});
    EXPECT_TRUE(same(dst.row(10)[63], reference_over(px(0, 0, 0, 0), src.row(10)[0])));
}

// Areas reaching past the destination are cut at its edges; empty or
// inverted rectangles and empty pictures draw nothing.
TEST(Compositing, BlendStaysInsideTheDestination)
{
    std::mt19937 rng(3);
    Picture src, dst, empty;
    src.resize(7, 5);
    fill_random(src, rng);
    dst.resize(16, 12);
    for (int i = 0; i < 16 * 12; ++i)
        dst.pixels[i] = px(1, 2, 3, 4);
    Picture::blend(src, dst, -3, -2, {0, 0, 40, 40});
    Picture::blend(src, dst, 12, 9, {0, 0, 40, 40});
    Picture::blend(src, dst, 20, 0, {0, 0, 4, 4});
    Picture::blend(src, dst, 0, 0, {4, 4, 4, 9});
    Picture::blend(src, dst, 0, 0, {6, 4, 2, 1});
    Picture::blend(empty, dst, 0, 0, {0, 0, 16, 12});
    Picture::blend(src, empty, 0, 0, {0, 0, 16, 12});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            ZR_Pix_A32 expected = px(1, 2, 3, 4);
            // The first blend reaches (0,0)..(15,11) from source (3,2).
            expected = reference_over(expected, src.row((y + 2) % 5)[(x + 3) % 7]);
            if (x >= 12 && y >= 9)
                expected = reference_over(expected, src.row((y - 9) % 5)[(x - 12) % 7]);
            ASSERT_TRUE(same(dst.row(y)[x], expected)) << x << "," << y;
        }
}

TEST(PlatformPicture, ResizeGivesStorageAndEmptySizesEmpty)
{
    Picture p;
    EXPECT_EQ(p.pixels, nullptr);
    p.resize(64, 64);
    ASSERT_NE(p.pixels, nullptr);
    EXPECT_NE(p.surface(), nullptr);
    EXPECT_EQ(p.width, 64);
    EXPECT_EQ(p.row(3), p.pixels + 192);
    p.row(63)[63] = px(1, 2, 3, 4); // the whole area is writable
    for (auto size : {std::pair<int, int>{0, 5}, {5, -1}, {-3, -3}}) {
        p.resize(size.first, size.second);
        EXPECT_EQ(p.pixels, nullptr);
        EXPECT_EQ(p.surface(), nullptr);
        EXPECT_EQ(p.width * p.height, 0);
    }
    ZR_Pic_Base<ZR_Pix_A32> base;
    base.resize(3, 2);
    ASSERT_NE(base.pixels, nullptr);
    base.resize(-1, 2);
    EXPECT_EQ(base.pixels, nullptr);
}
