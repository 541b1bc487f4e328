// X11 pictures need no display: plain memory until a window asks for the
// XImage over it.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Pic_X11.h"

#include <gtest/gtest.h>

// Xlib's macros last, after everything that could trip over them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

TEST(X11Picture, StorageWithoutADisplay)
{
    ZR_Pic<ZR_Pix_A32> pic;
    pic.resize(64, 48);
    ASSERT_NE(pic.pixels, nullptr);
    ASSERT_NE(pic.surface(), nullptr);
    for (int i = 0; i < 64 * 48; ++i)
        pic.pixels[i] = {1, 2, 3, 4};
    EXPECT_EQ(pic.row(47)[63].alpha, 4);
    EXPECT_EQ(zr_pic_surface_ximage(pic.surface(), nullptr), nullptr);
    EXPECT_EQ(zr_pic_surface_ximage(nullptr, nullptr), nullptr);
    pic.resize(0, 0);
    EXPECT_EQ(pic.surface(), nullptr);
}

// With a display (DISPLAY set), the image lies over the picture's own pixels.
TEST(X11Picture, ImageSharesThePixels)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        GTEST_SKIP() << "no X display";
    {
        ZR_Pic<ZR_Pix_A32> pic;
        pic.resize(16, 8);
        XImage *image = zr_pic_surface_ximage(pic.surface(), display);
        if (image) {
            EXPECT_EQ(image->data, reinterpret_cast<char *>(pic.pixels));
            EXPECT_EQ(image->bytes_per_line, 64);
            EXPECT_EQ(zr_pic_surface_ximage(pic.surface(), display), image);
            pic.pixels[5 * 16 + 3] = {0x30, 0x20, 0x10, 0xFF};
            EXPECT_EQ(XGetPixel(image, 3, 5) & 0xFFFFFF, 0x102030u);
        }
    }
    XCloseDisplay(display);
}
