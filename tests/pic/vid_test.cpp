// Filmstrip addressing: blocks per row, the index table, edge blocks whose
// outer pixels are never drawn, and draw over rectangles that start inside
// a block, against a reference that reads pixel by pixel.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Vid.h"
#include "tests/pic/pic_reference.h"
#include "tests/pic/strip_bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {

constexpr int W = 42, H = 5, F = 2, BC = 11, BR = 2, N = F * BC * BR;

// Entry e names block (7e + 3) mod N, so the index is really consulted.
int block_of(int entry)
{
    return (entry * 7 + 3) % N;
}

// Block k's pixel at row r, column c: blue k, green 16r + c... all distinct.
ZR_Pix_A32 stored(int k, int r, int c)
{
    return px(200 - k, r * 4 + c, k, 60 + k * 4);
}

Bytes strip()
{
    Bytes b;
    b.text("ZRVF").i32(W).i32(H).i32(N).i32(F);
    for (int k = 0; k < N; ++k)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                const ZR_Pix_A32 p = stored(k, r, c);
                b.pix(p.blue, p.green, p.red, p.alpha);
            }
    for (int e = 0; e < N; ++e)
        b.u16((unsigned)block_of(e));
    return b;
}

ZR_Pix_A32 expected_pixel(int f, int x, int y)
{
    return stored(block_of(f * BC * BR + (y / 4) * BC + x / 4), y % 4, x % 4);
}

} // namespace

TEST(Filmstrip, PixelFollowsTheBlockIndex)
{
    const Bytes bytes = strip();
    ZR_Vid vid;
    ASSERT_TRUE(vid.map(bytes.b.data(), bytes.b.size()));
    EXPECT_EQ(vid.blocks_per_row(), 11);
    EXPECT_EQ(vid.block_rows(), 2);
    for (int f = 0; f < F; ++f)
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_TRUE(same(vid.pixel(f, x, y), expected_pixel(f, x, y))) << f << x << y;
    // Outside the strip: transparent black, nothing read.
    for (auto p : {std::array<int, 3>{0, W, 0}, {0, 0, H}, {0, -1, 0}, {F, 0, 0}, {-1, 0, 0}})
        EXPECT_TRUE(same(vid.pixel(p[0], p[1], p[2]), px(0, 0, 0, 0)));
    EXPECT_EQ(ZR_Vid().pixel(0, 0, 0).alpha, 0);
}

// Random rectangles and places, some reaching past the frame or the
// destination: drawn pixels are the reference, all others untouched.
TEST(Filmstrip, DrawMatchesPixelByPixelReference)
{
    const Bytes bytes = strip();
    ZR_Vid vid;
    ASSERT_TRUE(vid.map(bytes.b.data(), bytes.b.size()));
    ZR_Pic<ZR_Pix_A32> dst;
    dst.resize(50, 12);
    std::mt19937 rng(17);
    auto fixed_rects = {ZR_Rect{5, 0, 42, 5}, ZR_Rect{5, 1, 6, 2}, ZR_Rect{0, 0, 42, 5},
                        ZR_Rect{39, 3, 42, 5}};
    std::vector<std::array<int, 7>> trials;
    for (const ZR_Rect &r : fixed_rects)
        trials.push_back({1, 0, 0, r.left, r.top, r.right, r.bottom});
    for (int i = 0; i < 400; ++i) {
        const int l = (int)(rng() % 50) - 4, t = (int)(rng() % 9) - 2;
        trials.push_back({(int)(rng() % 4) - 1, (int)(rng() % 56) - 3, (int)(rng() % 15) - 3, l, t,
                          l + (int)(rng() % 48), t + (int)(rng() % 8)});
    }
    for (const auto &trial : trials) {
        const int f = trial[0], x = trial[1], y = trial[2];
        const ZR_Rect r{trial[3], trial[4], trial[5], trial[6]};
        for (int i = 0; i < 50 * 12; ++i)
            dst.pixels[i] = px(i & 255, 9, 40, 128);
        vid.draw(f, dst, x, y, r);
        for (int dy = 0; dy < 12; ++dy)
            for (int dx = 0; dx < 50; ++dx) {
                const int sx = dx - x + r.left, sy = dy - y + r.top;
                ZR_Pix_A32 expected = px((dy * 50 + dx) & 255, 9, 40, 128);
                if (f >= 0 && f < F && sx >= r.left && sx < r.right && sy >= r.top &&
                    sy < r.bottom && sx >= 0 && sx < W && sy >= 0 && sy < H)
                    expected = reference_over(expected, expected_pixel(f, sx, sy));
                ASSERT_TRUE(same(dst.row(dy)[dx], expected))
                    << "frame " << f << " at " << x << "," << y << " rect " << r.left << ","
                    << r.top << "," << r.right << "," << r.bottom << " pixel " << dx << "," << dy;
            }
    }
}

// A strip whose length is unknown is taken as it is, but block numbers
// beyond the store still draw nothing.
TEST(Filmstrip, EntriesNamingMissingBlocksDrawNothing)
{
    Bytes bytes;
    bytes.text("ZRVF").i32(8).i32(4).i32(1).i32(1).pix(1, 2, 3, 255).zeros(60).u16(0).u16(9);
    ZR_Vid vid;
    ASSERT_TRUE(vid.map(bytes.b.data()));
    ZR_Pic<ZR_Pix_A32> dst;
    dst.resize(8, 4);
    for (int i = 0; i < 32; ++i)
        dst.pixels[i] = px(7, 7, 7, 7);
    vid.draw(0, dst, 0, 0, {0, 0, 8, 4});
    EXPECT_TRUE(same(dst.row(0)[0], reference_over(px(7, 7, 7, 7), px(3, 2, 1, 255))));
    EXPECT_TRUE(same(dst.row(0)[4], px(7, 7, 7, 7)));
    EXPECT_TRUE(same(vid.pixel(0, 5, 0), px(0, 0, 0, 0)));
}
