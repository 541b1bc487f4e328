// Mapping ZRIF and ZRVF bytes: the header reports with their sources, lines
// and texts, and refusal of declared sizes or block numbers the bytes cannot
// hold; a refused map keeps the previous mapping.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "tests/pic/strip_bytes.h"
#include "tools/artwork/vemo_resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The first line of the last report, and that exactly one was made.
std::string only_report()
{
    const ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "ERROR");
    return box.text.substr(0, box.text.find('\n'));
}

Bytes zrif(int w, int h, std::size_t pixels)
{
    Bytes b;
    b.text("ZRIF").i32(w).i32(h).zeros(4 * pixels);
    return b;
}

// W x H frames of F frames over N blocks (zero pixels), index all zero.
Bytes zrvf(int w, int h, int n, int f, std::size_t entries)
{
    Bytes b;
    b.text("ZRVF").i32(w).i32(h).i32(n).i32(f).zeros(64 * (std::size_t)(n > 0 ? n : 0));
    for (std::size_t i = 0; i < entries; ++i)
        b.u16(0);
    return b;
}

class Mapping : public ::testing::Test {
protected:
    void SetUp() override { ZR_headless_reset_message_boxes(); }
    void TearDown() override { ZR_set_resource_table(vemo_resources()); }
};

} // namespace

TEST_F(Mapping, WrongMagicReportsOnceAndKeepsThePreviousMapping)
{
    const Bytes good_pic = zrif(2, 3, 6);
    const Bytes good_vid = zrvf(8, 4, 1, 1, 2);
    ZR_Pic<ZR_Pix_A32> pic;
    ZR_Vid vid;
    ASSERT_TRUE(pic.map(good_pic.b.data()));
    ASSERT_TRUE(vid.map(good_vid.b.data(), good_vid.b.size()));

    const char *const wrong[][2] = {{"ZRVF\2\0\0\0\2\0\0\0", "ZRIF\2\0\0\0\2\0\0\0"},
                                    {"zrif\2\0\0\0\2\0\0\0", "zrvf\2\0\0\0\2\0\0\0"},
                                    {"\0\0\0\0\0\0\0\0", "\0\0\0\0\0\0\0\0"}};
    for (const auto &pair : wrong) {
        const char *bytes = pair[0];
        ZR_headless_reset_message_boxes();
        EXPECT_FALSE(pic.map(bytes));
        EXPECT_EQ(only_report(), "Error: Invalid ZRIF header");
        EXPECT_NE(ZR_headless_last_message_box().text.find(
                      "\nFile: ZR/Pic/Base\nLine: 21\nProc: ZR_Pic_Base<TPix>::map\n"),
                  std::string::npos);
        EXPECT_EQ(pic.pixels, (const void *)(good_pic.b.data() + 12));
        EXPECT_EQ(pic.width, 2);
        EXPECT_EQ(pic.height, 3);

        ZR_headless_reset_message_boxes();
        EXPECT_FALSE(vid.map(pair[1]));
        EXPECT_EQ(only_report(), "Error: Invalid ZRVF header");
        EXPECT_NE(ZR_headless_last_message_box().text.find(
                      "\nFile: ZR/Vid\nLine: 14\nProc: ZR_Vid::map\n"),
                  std::string::npos);
        EXPECT_EQ(vid.width, 8);
        EXPECT_EQ(vid.blocks, (const void *)(good_vid.b.data() + 20));
    }
    // A missing resource was reported by the lookup: nothing more, nothing mapped.
    ZR_headless_reset_message_boxes();
    EXPECT_FALSE(pic.map(nullptr));
    EXPECT_FALSE(vid.map(nullptr));
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_EQ(pic.width, 2);
}

TEST_F(Mapping, DeclaredPictureSizesMustFitTheBytes)
{
    struct Case {
        const char *what;
        Bytes bytes;
        bool ok;
    } cases[] = {
        {"exact", zrif(3, 2, 6), true},
        {"longer than needed", zrif(3, 2, 7), true},
        {"empty picture", zrif(0, 0, 0), true},
        {"one pixel short", zrif(3, 2, 5), false},
        {"negative width", zrif(-1, 2, 6), false},
        {"negative both", zrif(-2, -3, 6), false},
        {"product overflows 32 bits", zrif(65536, 65537, 4), false},
        {"largest sizes", zrif(0x7FFFFFFF, 0x7FFFFFFF, 1), false},
        {"header cut short", Bytes().text("ZRIF").i32(1), false},
        {"magic cut short", Bytes().text("ZRI"), false},
    };
    for (const Case &c : cases) {
        ZR_headless_reset_message_boxes();
        ZR_Pic_Base<ZR_Pix_A32> pic;
        EXPECT_EQ(pic.map(c.bytes.b.data(), c.bytes.b.size()), c.ok) << c.what;
        EXPECT_EQ(ZR_headless_last_message_box().count, c.ok ? 0 : 1) << c.what;
        if (!c.ok) {
            EXPECT_EQ(pic.pixels, nullptr) << c.what;
        }
    }
}

TEST_F(Mapping, DeclaredStripSizesAndBlockNumbersMustFitTheBytes)
{
    Bytes missing_block = zrvf(8, 4, 2, 1, 0);
    missing_block.u16(1).u16(2);
    struct Case {
        const char *what;
        Bytes bytes;
        const char *report; // null: maps
    } cases[] = {
        {"exact, 40 wide: 10 blocks a row", zrvf(40, 4, 1, 2, 20), nullptr},
        {"42 wide: 11 blocks a row", zrvf(42, 5, 1, 1, 22), nullptr},
        {"42 wide with 10 entries a row", zrvf(42, 5, 1, 1, 20),
         "ZRVF sizes do not fit the resource"},
        {"one entry short", zrvf(8, 8, 1, 3, 11), "ZRVF sizes do not fit the resource"},
        {"no frames", zrvf(8, 8, 1, 0, 0), nullptr},
        {"negative block count", zrvf(4, 4, -1, 1, 1), "ZRVF sizes do not fit the resource"},
        {"negative frame count", zrvf(4, 4, 1, -1, 1), "ZRVF sizes do not fit the resource"},
        {"negative width", zrvf(-4, 4, 1, 1, 1), "ZRVF sizes do not fit the resource"},
        {"huge frame count", zrvf(64, 64, 1, 0x7FFFFFFF, 256),
         "ZRVF sizes do not fit the resource"},
        {"huge frames", zrvf(0x7FFFFFFF, 0x7FFFFFFF, 1, 1, 4),
         "ZRVF sizes do not fit the resource"},
        {"entry names block 2 of 2", missing_block, "ZRVF index names a missing block"},
        {"header cut short", Bytes().text("ZRVF").i32(4).i32(4),
         "ZRVF sizes do not fit the resource"},
    };
    // Store bigger than the bytes.
    Bytes store = zrvf(4, 4, 3, 1, 1);
    store.b.resize(store.b.size() - 64);
    ZR_Vid probe;
    ZR_headless_reset_message_boxes();
    EXPECT_FALSE(probe.map(store.b.data(), store.b.size()));
    EXPECT_EQ(only_report(), "Error: ZRVF sizes do not fit the resource");

    for (const Case &c : cases) {
        ZR_headless_reset_message_boxes();
        ZR_Vid vid;
        EXPECT_EQ(vid.map(c.bytes.b.data(), c.bytes.b.size()), c.report == nullptr) << c.what;
        if (c.report) {
            EXPECT_EQ(only_report(), std::string("Error: ") + c.report) << c.what;
            EXPECT_EQ(vid.blocks, nullptr) << c.what;
        }
        else {
            EXPECT_EQ(ZR_headless_last_message_box().count, 0) << c.what;
        }
    }
}

// map(data) knows the length of resources of the table; other bytes are
// taken as they are.
TEST_F(Mapping, ResourcesOfTheTableAreCheckedAgainstTheirLength)
{
    const Bytes lying_pic = zrif(100, 100, 4);
    const Bytes lying_vid = zrvf(64, 64, 1, 265, 16);
    const ZR_resource_entry table[] = {
        {"pic", lying_pic.b.data(), lying_pic.b.size()},
        {"vid", lying_vid.b.data(), lying_vid.b.size()},
        {nullptr, nullptr, 0},
    };
    ZR_set_resource_table(table);
    ZR_Pic_Base<ZR_Pix_A32> pic;
    ZR_Vid vid;
    EXPECT_FALSE(pic.map(ZR_resource("pic")));
    EXPECT_EQ(only_report(), "Error: ZRIF sizes do not fit the resource");
    ZR_headless_reset_message_boxes();
    EXPECT_FALSE(vid.map(ZR_resource("VID")));
    EXPECT_EQ(only_report(), "Error: ZRVF sizes do not fit the resource");

    // Bytes the table does not know keep the unchecked behaviour.
    const Bytes copy = lying_pic;
    ZR_headless_reset_message_boxes();
    EXPECT_TRUE(pic.map(copy.b.data()));
    EXPECT_EQ(pic.width, 100);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
}
