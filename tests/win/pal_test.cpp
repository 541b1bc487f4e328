// The level meter over a synthetic map: membership by key colour, the rising
// and falling example with its partly lit segment, the red zone, alpha scaled
// by the map, the channel option, and hostile levels.
#include "ZR/Wid/ZR_Wid_Pal.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_spcpp.h"
#include "tests/pic/pic_reference.h"
#include "tools/artwork/vemo_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// 8 segments of 4 x 6 pixels side by side (segment n at x = 5n), key green
// 0x40 with the number in red; one pixel of segment 3 at alpha 128; a decoy
// of the wrong key colour carrying number 4 at the bottom row.
constexpr int W = 40, H = 8;
std::vector<unsigned char> make_map()
{
    std::vector<unsigned char> bytes(12 + 4 * W * H, 0);
    std::memcpy(bytes.data(), "ZRIF", 4);
    const int32_t w = W, h = H;
    std::memcpy(&bytes[4], &w, 4);
    std::memcpy(&bytes[8], &h, 4);
    auto at = [&](int x, int y) { return &bytes[12 + 4 * (y * W + x)]; };
    for (int n = 0; n < 8; ++n)
        for (int y = 1; y < 7; ++y)
            for (int x = 5 * n; x < 5 * n + 4; ++x) {
                unsigned char *p = at(x, y);
                p[0] = 0;    // blue
                p[1] = 0x40; // green: key
                p[2] = (unsigned char)n;
                p[3] = 255;
            }
    at(16, 3)[3] = 128;
    unsigned char *decoy = at(20, 7);
    decoy[1] = 0x41;
    decoy[2] = 4;
    decoy[3] = 255;
    return bytes;
}

const ZR_Pix_A32 BG = px(10, 10, 10, 255), FG = px(0, 200, 0, 255), RG = px(250, 0, 0, 255);

uint32_t word(ZR_Pix_A32 p)
{
    uint32_t w;
    std::memcpy(&w, &p, 4);
    return w;
}

class Pal : public ::testing::Test {
protected:
    void SetUp() override
    {
        map = make_map();
        table[0] = {"meter", map.data(), map.size()};
        table[1] = {nullptr, nullptr, 0};
        ZR_set_resource_table(table);
        ZR_Object *o = nullptr;
        ASSERT_EQ(spcpp("ZR_Wid_Pal -w 40 -h 8 -res meter", &o), ZR_OK);
        pal = static_cast<ZR_Wid_Pal *>(o);
        ASSERT_EQ(spcpp("%o -ln %o -bg %i -fg %i -rg %i -cg %i -ch r -mn 0 -mx 7 -rl 0.8", pal,
                        &line, (int)word(BG), (int)word(FG), (int)word(RG), 0x00FF4000),
                  ZR_OK);
    }
    void TearDown() override
    {
        spcpp("%o -delete", pal);
        ZR_set_resource_table(vemo_resources());
    }
    ZR_Pix_A32 seg(int n) const { return pal->picture.row(2)[5 * n + 1]; }
    std::vector<unsigned char> map;
    ZR_resource_entry table[2];
    ZR_Wid_Pal_Line line;
    ZR_Wid_Pal *pal = nullptr;
};

} // namespace

TEST_F(Pal, RisingAndFallingExampleWithPartlyLitSegment)
{
    EXPECT_EQ(line.cg, 0x00004000u); // -ch r cleared red and alpha
    // The raw map shows until the first level.
    EXPECT_EQ(seg(2).red, 2);
    ASSERT_EQ(spcpp("%o -level 0.25", pal), ZR_OK);
    EXPECT_EQ(line.prepared, 1);
    EXPECT_EQ(line.boxes[3].min_x, 15);
    EXPECT_EQ(line.boxes[3].max_y, 6);
    EXPECT_EQ(line.boxes[4].max_y, 6); // the decoy is not a member
    EXPECT_TRUE(same(seg(0), FG));
    EXPECT_TRUE(same(seg(1), FG));
    EXPECT_TRUE(same(seg(2), BG)); // at the exact level, frac 0
    EXPECT_TRUE(same(seg(7), BG));
    // Rising to 0.75: 2..5 lit (none in the red zone: 5/7 < 0.8), 6 bg.
    ASSERT_EQ(spcpp("%o -level 0.75", pal), ZR_OK);
    for (int n = 2; n <= 5; ++n)
        EXPECT_TRUE(same(seg(n), FG)) << n;
    EXPECT_TRUE(same(seg(6), BG));
    // Alpha scaled by the map: 255 * 128 / 255.
    EXPECT_EQ(pal->picture.row(3)[16].alpha, 128);
    EXPECT_EQ(pal->picture.row(3)[16].green, 200);
    // Falling to 0.3125: 6..3 bg, 2 mixed half and half.
    ASSERT_EQ(spcpp("%o -level 0.3125", pal), ZR_OK);
    for (int n = 3; n <= 6; ++n)
        EXPECT_TRUE(same(seg(n), BG)) << n;
    EXPECT_TRUE(same(seg(2), px(5, 105, 5, 255))) << (int)seg(2).green;
    EXPECT_TRUE(same(seg(1), FG));
    // Untouched: the decoy and the gaps.
    EXPECT_EQ(pal->picture.row(7)[20].green, 0x41);
}

TEST_F(Pal, RedZoneEqualLevelsAndHostileLevels)
{
    ASSERT_EQ(spcpp("%o -level 1.0", pal), ZR_OK);
    // 7/7 >= 0.8 and 6/7 >= 0.8 light in rg; 5/7 in fg.
    EXPECT_TRUE(same(seg(5), FG));
    EXPECT_TRUE(same(seg(6), RG));
    // Level 1.0 makes segment 8 the exact one: outside, nothing; 7 stays.
    EXPECT_TRUE(same(seg(7), RG));
    // The same level again repaints the single segment at it.
    ASSERT_EQ(spcpp("%o -level 0.5", pal), ZR_OK);
    ASSERT_EQ(spcpp("%o -level 0.5", pal), ZR_OK);
    EXPECT_TRUE(same(seg(4), BG));
    EXPECT_TRUE(same(seg(3), FG));
    // Far outside 0..1, NaN and infinities: quick, nothing outside the map.
    for (double x : {1e30, -1e30, 3.0, -2.0})
        ASSERT_EQ(spcpp("%o -level %f", pal, x), ZR_OK);
    EXPECT_TRUE(same(seg(0), BG));
}

TEST(PalOptions, WithoutALineOptionsAnswerEmpty)
{
    ZR_Object *o = nullptr;
    ASSERT_EQ(spcpp("ZR_Wid_Pal", &o), ZR_OK);
    ZR_Wid_Pal *pal = static_cast<ZR_Wid_Pal *>(o);
    int32_t mn = 12345;
    ASSERT_EQ(spcpp("%o -mn 3 -level 0.5 -mn", pal, &mn), ZR_OK);
    EXPECT_EQ(mn, 12345); // the empty answer writes nothing
    ZR_Wid_Pal_Line line;
    ASSERT_EQ(spcpp("%o -ln %o -cg %i -ch r -mn 2.9", pal, &line, 0x00FF00FF), ZR_OK);
    EXPECT_EQ(line.cg, 0x000000FFu);
    EXPECT_EQ(line.mn, 2);
    const char *ch = nullptr;
    ASSERT_EQ(spcpp("%o -ch x -ch", pal, &ch), ZR_OK);
    EXPECT_STREQ(ch, "r");
    spcpp("%o -delete", pal);
}
