// GDI text labels: DrawTextA on black in the label's own context, then every
// inked pixel opaque. Checked by properties of the picture, not by drawing
// the text a second way.
#include "ZR/Wid/ZR_Wid_Text.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/core/ZR_spcpp.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct Ink {
    int count = 0;
    int left = 1 << 30, right = -1;
    bool clean = true;      // alpha 0 with black, or alpha 255 with ink
    uint32_t strongest = 0; // the brightest inked pixel, 0x00RRGGBB
};

Ink ink_of(const ZR_Pic<ZR_Pix_A32> &p)
{
    Ink ink;
    int best = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const ZR_Pix_A32 c = p.pixels[y * p.width + x];
            const int sum = c.red + c.green + c.blue;
            if (c.alpha == 0) {
                ink.clean = ink.clean && sum == 0;
                continue;
            }
            ink.clean = ink.clean && c.alpha == 255 && sum > 0;
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            if (sum > best) {
                best = sum;
                ink.strongest = (uint32_t)c.red << 16 | (uint32_t)c.green << 8 | c.blue;
            }
        }
    return ink;
}

class Win32Text : public ::testing::Test {
protected:
    ZR_Wid_Text *make(const char *options)
    {
        ZR_Wid_Text *t = nullptr;
        spcpp((std::string("ZR_Wid_Text -l 0 -t 0 -w 120 -h 20 ") + options).c_str(), &t);
        spcpp("ZR_Wid %o -win %o", t, &window);
        t->render();
        return t;
    }
    void TearDown() override
    {
        for (ZR_Wid *w : made)
            spcpp("%o -delete", w);
    }
    ZR_Win_Headless window{200, 100};
    std::vector<ZR_Wid *> made;
};

TEST_F(Win32Text, AlignmentPlacesTheInkAtTheEdgesOrTheMiddle)
{
    struct Case {
        int horz;
        int low, high; // where the ink's middle may lie
    } cases[] = {{-1, 0, 40}, {0, 55, 65}, {1, 80, 120}};
    for (const Case &c : cases) {
        ZR_Wid_Text *t =
            make(("-font Tahoma -size 12 -text Wave -horz " + std::to_string(c.horz)).c_str());
        made.push_back(t);
        const Ink ink = ink_of(t->picture);
        ASSERT_GT(ink.count, 20) << c.horz;
        EXPECT_TRUE(ink.clean) << c.horz;
        const int middle = (ink.left + ink.right) / 2;
        EXPECT_GE(middle, c.low) << c.horz;
        EXPECT_LE(middle, c.high) << c.horz;
        if (c.horz < 0) {
            EXPECT_LE(ink.left, 2);
        }
        if (c.horz > 0) {
            EXPECT_GE(ink.right, 117);
        }
    }
}

TEST_F(Win32Text, FullInkIsTheColourAndTheRestStaysTransparent)
{
    for (uint32_t colour : {0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xC08040u}) {
        ZR_Wid_Text *t = make(
            ("-font Tahoma -size 14 -bold 1 -text HIM -color " + std::to_string(colour)).c_str());
        made.push_back(t);
        const Ink ink = ink_of(t->picture);
        EXPECT_TRUE(ink.clean) << std::hex << colour;
        // COLORREF is 0x00BBGGRR, the strongest ink is that colour.
        const uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
        EXPECT_EQ(ink.strongest, rgb) << std::hex << colour;
    }
}

TEST_F(Win32Text, FontOptionsMakeFontsAndTheDefaultFontStillDraws)
{
    ZR_Wid_Text *plain = make("-text Cutoff");
    made.push_back(plain);
    EXPECT_EQ(plain->font(), nullptr); // the context's default font
    EXPECT_GT(ink_of(plain->picture).count, 20);

    ZR_Wid_Text *regular = make("-font Tahoma -size 12 -text Cutoff");
    ZR_Wid_Text *bold = make("-font Tahoma -size 12 -bold 1 -text Cutoff");
    made.push_back(regular);
    made.push_back(bold);
    ASSERT_NE(regular->font(), nullptr);
    ASSERT_NE(bold->font(), nullptr);
    LOGFONTA a = {}, b = {};
    GetObjectA(static_cast<HFONT>(regular->font()), sizeof a, &a);
    GetObjectA(static_cast<HFONT>(bold->font()), sizeof b, &b);
    EXPECT_EQ(a.lfHeight, -12);
    EXPECT_EQ(a.lfWeight, 400);
    EXPECT_EQ(b.lfWeight, 700);
    EXPECT_STREQ(a.lfFaceName, "Tahoma");
    EXPECT_EQ(a.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(a.lfOutPrecision, OUT_TT_PRECIS);
    EXPECT_EQ(a.lfQuality, PROOF_QUALITY);
    EXPECT_GT(ink_of(bold->picture).count, ink_of(regular->picture).count);

    // A new text shows at the next draw, without a render in between.
    const int before = ink_of(regular->picture).count;
    spcpp("ZR_Wid_Text %o -text %s", regular, "Cutoff frequency");
    ZR_Pic<ZR_Pix_A32> screen;
    screen.resize(120, 20);
    regular->draw(screen, 0, 0, {0, 0, 120, 20});
    EXPECT_GT(ink_of(regular->picture).count, before);
}

} // namespace
