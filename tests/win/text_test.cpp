// Text labels: Tahoma from the wine fonts, the ink rule (opaque where inked,
// transparent elsewhere, colour over black), alignment, fallback faces and
// re-rendering after a text change.
#include "ZR/Wid/ZR_Wid_Text.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "ZR/core/ZR_spcpp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

ZR_Wid_Text *label(const char *command, ZR_Win *win)
{
    ZR_Object *o = nullptr;
    EXPECT_EQ(spcpp(command, &o), ZR_OK) << command;
    auto *t = dynamic_cast<ZR_Wid_Text *>(o);
    if (t && win) {
        EXPECT_EQ(spcpp("ZR_Wid %o -win %o", t, win), ZR_OK);
    }
    return t;
}

struct Ink {
    int left = 1 << 30, right = -1, count = 0;
};

// Where the picture is inked; fails on any pixel that breaks the rule.
Ink ink_of(const ZR_Pic<ZR_Pix_A32> &pic, int red, int green, int blue)
{
    Ink ink;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const ZR_Pix_A32 p = pic.row(y)[x];
            const bool inked = p.red | p.green | p.blue;
            EXPECT_EQ(p.alpha, inked ? 255 : 0) << x << "," << y;
            // Colour on black: channels in the colour's proportion.
            EXPECT_LE(p.red, red);
            EXPECT_LE(p.green, green);
            EXPECT_LE(p.blue, blue);
            if (inked) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    return ink;
}

} // namespace

TEST(WidText, TahomaAt12PixelsInksOpaqueOnTransparent)
{
    ZR_Win_Headless win(200, 40);
    ZR_Wid_Text *t = label("ZR_Wid_Text -w 200 -h 40 -font Tahoma -size 12 -color 0x0040C0FF "
                           "-text %s",
                           &win);
    ASSERT_EQ(spcpp("%o -text %s", t, "8333 Hz"), ZR_OK);
    EXPECT_NE(t->font_file().find("tahoma.ttf"), std::string::npos) << t->font_file();
    t->render();
    Ink ink = ink_of(t->picture, 0xFF, 0xC0, 0x40);
    EXPECT_GT(ink.count, 40);
    // Glyph edges are darker, not transparent: some inked pixels are partial.
    int partial = 0, full = 0;
    for (int i = 0; i < 200 * 40; ++i) {
        const ZR_Pix_A32 p = t->picture.pixels[i];
        partial += p.alpha == 255 && p.red < 0xFF;
        full += p.red == 0xFF;
    }
    EXPECT_GT(partial, 0);
    EXPECT_GT(full, 0);
    // Centred by default: ink margins nearly equal.
    EXPECT_LE(std::abs(ink.left - (199 - ink.right)), 3);

    // Alignment: -horz -1 starts at the left edge, 1 ends at the right.
    ASSERT_EQ(spcpp("%o -horz -1", t), ZR_OK);
    t->render();
    EXPECT_LE(ink_of(t->picture, 0xFF, 0xC0, 0x40).left, 2);
    ASSERT_EQ(spcpp("%o -horz 1", t), ZR_OK);
    t->render();
    EXPECT_GE(ink_of(t->picture, 0xFF, 0xC0, 0x40).right, 196);
    spcpp("%o -delete", t);
}

TEST(WidText, DefaultAndMissingFacesFallBackWithoutError)
{
    ZR_headless_reset_message_boxes();
    ZR_Win_Headless win(120, 30);
    ZR_Wid_Text *plain = label("ZR_Wid_Text -w 120 -h 30", &win);
    plain->render();
    EXPECT_GT(ink_of(plain->picture, 255, 255, 255).count, 10); // "test string", white
    ZR_Wid_Text *odd = label("ZR_Wid_Text -w 120 -h 30 -font NoSuchFaceAnywhere -size 14", &win);
    EXPECT_FALSE(odd->font_file().empty());
    odd->render();
    EXPECT_GT(ink_of(odd->picture, 255, 255, 255).count, 10);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    // Not attached: render does nothing.
    ZR_Wid_Text *loose = label("ZR_Wid_Text -w 120 -h 30", nullptr);
    loose->render();
    EXPECT_EQ(loose->picture.pixels, nullptr);
    for (ZR_Wid_Text *t : {plain, odd, loose})
        spcpp("%o -delete", t);
}

TEST(WidText, TextChangeShowsAtTheNextDrawAndOptionsAnswer)
{
    ZR_Win_Headless win(100, 20);
    ZR_Wid_Text *t = label("ZR_Wid_Text -w 100 -h 20 -horz -1", &win);
    ASSERT_EQ(spcpp("%o -text %s", t, "i"), ZR_OK);
    win.paint({0, 0, 100, 20});
    const int narrow = ink_of(t->picture, 255, 255, 255).right;
    ASSERT_EQ(spcpp("%o -text %s", t, "WWWW"), ZR_OK);
    win.paint({0, 0, 100, 20});
    EXPECT_GT(ink_of(t->picture, 255, 255, 255).right, narrow + 10);
    const char *text = nullptr;
    int32_t bold = -1, size = -1;
    ASSERT_EQ(spcpp("%o -text -bold -size", t, &text, &bold, &size), ZR_OK);
    EXPECT_STREQ(text, "WWWW");
    EXPECT_EQ(bold, 0);
    EXPECT_EQ(size, 0);
    spcpp("%o -delete", t);
}

TEST(WidConcurrency, TextChangedByAnotherThreadWhileTheWindowPaints)
{
    ZR_Win_Headless win(100, 20);
    win.record_copies = false;
    ZR_Wid_Text *t = label("ZR_Wid_Text -w 100 -h 20", &win);
    std::atomic<bool> stop{false};
    std::thread host([&] {
        char text[32];
        for (int i = 0; !stop.load(); ++i) {
            std::snprintf(text, sizeof text, "%d Hz", i % 9000);
            spcpp("%o -text %s", t, text);
            t->refresh();
        }
    });
    for (int i = 0; i < 200; ++i)
        win.paint({0, 0, 100, 20});
    stop = true;
    host.join();
    spcpp("%o -delete", t);
}
