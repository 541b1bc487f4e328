// The skin as built into the binaries: every resource with its fixed name,
// format, size and frame count; the encoders' promises; the alpha facts;
// seamless pieces; the budget; and the round trip from the generator's
// frames through ZRVF, map and draw back to the same pixels.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/core/ZR_cfuncs.h"
#include "tests/pic/pic_reference.h"
#include "tools/artwork/artwork.h"
#include "tools/artwork/vemo_resources.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iostream>
#include <set>
#include <stdexcept>
#include <string>

namespace {

struct Expected {
    const char *name;
    bool strip;
    int width, height, frames;
};

const Expected SET[] = {
    {"bgnd", false, 63, 63, 1},   {"orvane", false, 160, 30, 1}, {"alt", false, 10, 10, 1},
    {"amt", false, 10, 10, 1},    {"art", false, 10, 10, 1},     {"alm", false, 10, 10, 1},
    {"arm", false, 10, 10, 1},    {"alb", false, 10, 10, 1},     {"amb", false, 10, 10, 1},
    {"arb", false, 10, 10, 1},    {"glt", false, 10, 10, 1},     {"gmt", false, 10, 10, 1},
    {"grt", false, 10, 10, 1},    {"glm", false, 10, 10, 1},     {"grm", false, 10, 10, 1},
    {"gmm", false, 128, 128, 1},  {"glb", false, 10, 10, 1},     {"gmb", false, 10, 10, 1},
    {"grb", false, 10, 10, 1},    {"but", true, 40, 24, 2},      {"big", true, 64, 64, 265},
    {"knob", true, 32, 32, 100},  {"tune", true, 120, 24, 100},  {"load", true, 40, 24, 2},
    {"peek", true, 40, 24, 2},    {"save", true, 40, 24, 2},     {"i41x89", false, 41, 89, 1},
    {"i91x17", false, 91, 17, 1},
};

// A resource picture of the table, mapped.
struct Mapped : ZR_Pic_Base<ZR_Pix_A32> {
    explicit Mapped(const char *name) { EXPECT_TRUE(map(ZR_resource(name))) << name; }
};

int count_alpha(const char *name, int lo, int hi)
{
    ZR_Pic_Base<ZR_Pix_A32> p;
    p.map(ZR_resource(name));
    int n = 0;
    for (int i = 0; i < p.width * p.height; ++i)
        n += p.pixels[i].alpha >= lo && p.pixels[i].alpha <= hi;
    return n;
}

} // namespace

TEST(Artwork, EveryResourceMapsWithItsFixedShape)
{
    for (const Expected &e : SET) {
        std::size_t size = 0;
        const void *data = ZR_resource_find(e.name, &size);
        ASSERT_NE(data, nullptr) << e.name;
        if (e.strip) {
            ZR_Vid vid;
            ASSERT_TRUE(vid.map(data)) << e.name;
            EXPECT_EQ(vid.width, e.width) << e.name;
            EXPECT_EQ(vid.height, e.height) << e.name;
            EXPECT_EQ(vid.frame_count, e.frames) << e.name;
            EXPECT_EQ(size, 20 + 64 * (std::size_t)vid.block_count +
                                2 * (std::size_t)e.frames * vid.blocks_per_row() * vid.block_rows())
                << e.name;
        }
        else {
            ZR_Pic_Base<ZR_Pix_A32> pic;
            ASSERT_TRUE(pic.map(data)) << e.name;
            EXPECT_EQ(pic.width, e.width) << e.name;
            EXPECT_EQ(pic.height, e.height) << e.name;
            EXPECT_EQ(size, 12 + 4 * (std::size_t)e.width * e.height) << e.name;
        }
    }
}

// Stored blocks are distinct, all used, in ascending order of byte sums.
TEST(Artwork, StripBlocksAreDistinctUsedAndOrdered)
{
    for (const Expected &e : SET) {
        if (!e.strip)
            continue;
        ZR_Vid vid;
        ASSERT_TRUE(vid.map(ZR_resource(e.name)));
        const auto *bytes = reinterpret_cast<const unsigned char *>(vid.blocks);
        std::set<std::string> seen;
        unsigned previous_sum = 0;
        for (int k = 0; k < vid.block_count; ++k) {
            const unsigned char *b = bytes + 64 * k;
            unsigned sum = 0;
            for (int i = 0; i < 64; ++i)
                sum += b[i];
            EXPECT_LE(previous_sum, sum) << e.name << " block " << k;
            previous_sum = sum;
            EXPECT_TRUE(seen.insert(std::string(b, b + 64)).second) << e.name << " block " << k;
        }
        std::vector<bool> used((std::size_t)vid.block_count);
        const std::size_t entries =
            (std::size_t)vid.frame_count * vid.blocks_per_row() * vid.block_rows();
        for (std::size_t i = 0; i < entries; ++i)
            used[vid.index[2 * i] | vid.index[2 * i + 1] << 8] = true;
        for (int k = 0; k < vid.block_count; ++k)
            EXPECT_TRUE(used[(std::size_t)k]) << e.name << " block " << k << " unused";
    }
}

TEST(Artwork, AlphaFacts)
{
    for (const char *n : {"alt", "amt", "art", "alm", "arm", "alb", "amb", "arb"}) {
        EXPECT_EQ(count_alpha(n, 255, 255), 0) << n << " has an opaque pixel";
        EXPECT_GT(count_alpha(n, 1, 254), 0) << n;
    }
    for (const char *n : {"glt", "gmt", "grt", "glm", "grm", "glb", "gmb", "grb"}) {
        EXPECT_GT(count_alpha(n, 255, 255), 0) << n;
        EXPECT_GT(count_alpha(n, 0, 0), 0) << n;
    }
    for (const char *n : {"glt", "grt", "glb", "grb"})
        EXPECT_GT(count_alpha(n, 1, 254), 0) << n << " has no soft pixel";
    for (const char *n : {"bgnd", "gmm"})
        EXPECT_EQ(count_alpha(n, 0, 254), 0) << n << " is not opaque";
}

// Pieces meet their neighbours and repeat without seams: a column (or row)
// at one side of a piece equals the matching one of the next piece.
TEST(Artwork, FramePiecesJoinSeamlessly)
{
    struct Join {
        const char *a, *b;
        bool across; // a's right column against b's left, else a's bottom row against b's top
    } joins[] = {
        {"alt", "amt", true},  {"amt", "amt", true},  {"amt", "art", true},  {"alb", "amb", true},
        {"amb", "amb", true},  {"amb", "arb", true},  {"alt", "alm", false}, {"alm", "alm", false},
        {"alm", "alb", false}, {"art", "arm", false}, {"arm", "arm", false}, {"arm", "arb", false},
        {"glt", "gmt", true},  {"gmt", "gmt", true},  {"gmt", "grt", true},  {"glb", "gmb", true},
        {"gmb", "gmb", true},  {"gmb", "grb", true},  {"glt", "glm", false}, {"glm", "glm", false},
        {"glm", "glb", false}, {"grt", "grm", false}, {"grm", "grm", false}, {"grm", "grb", false},
    };
    for (const Join &j : joins) {
        const Mapped a(j.a), b(j.b);
        // Compare the step across the seam with a step inside each piece:
        // a seamless join changes no more than the pieces do inside.
        for (int i = 0; i < (j.across ? a.height : a.width); ++i) {
            const ZR_Pix_A32 last = j.across ? a.row(i)[a.width - 1] : a.row(a.height - 1)[i];
            const ZR_Pix_A32 inner = j.across ? a.row(i)[a.width - 2] : a.row(a.height - 2)[i];
            const ZR_Pix_A32 first = j.across ? b.row(i)[0] : b.row(0)[i];
            auto step = [](ZR_Pix_A32 p, ZR_Pix_A32 q) {
                return std::abs(p.red - q.red) + std::abs(p.green - q.green) +
                       std::abs(p.blue - q.blue) + std::abs(p.alpha - q.alpha);
            };
            EXPECT_LE(step(last, first), step(last, inner) + 8)
                << j.a << " | " << j.b << " at " << i;
        }
    }
    // Textured tiles: the step across the wrap is like a step inside.
    for (const char *n : {"bgnd", "gmm"}) {
        const Mapped p(n);
        double seam = 0, inside = 0;
        for (int i = 0; i < p.width; ++i) {
            seam += std::abs(p.row(i)[p.width - 1].green - p.row(i)[0].green) +
                    std::abs(p.row(p.height - 1)[i].green - p.row(0)[i].green);
            inside += std::abs(p.row(i)[p.width / 2].green - p.row(i)[p.width / 2 + 1].green) +
                      std::abs(p.row(p.height / 2)[i].green - p.row(p.height / 2 + 1)[i].green);
        }
        EXPECT_LE(seam, inside * 1.5 + p.width) << n;
    }
    // Edges are the same all along.
    for (const char *n : {"amt", "amb", "gmt", "gmb"}) {
        const Mapped p(n);
        for (int y = 0; y < 10; ++y)
            for (int x = 1; x < 10; ++x)
                EXPECT_TRUE(same(p.row(y)[x], p.row(y)[0])) << n;
    }
    for (const char *n : {"alm", "arm", "glm", "grm"}) {
        const Mapped p(n);
        for (int y = 1; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_TRUE(same(p.row(y)[x], p.row(0)[x])) << n;
    }
}

// The knob's body stays still: only what turns makes new blocks.
TEST(Artwork, BudgetReportedAndKept)
{
    std::size_t total = 0, big_blocks = 0, big_bytes = 0;
    for (const ZR_resource_entry *e = vemo_resources(); e->name; ++e) {
        total += e->size;
        if (std::string(e->name) == "BIG") {
            ZR_Vid vid;
            ASSERT_TRUE(vid.map(e->data));
            big_blocks = (std::size_t)vid.block_count;
            big_bytes = e->size;
        }
    }
    std::cout << "[ artwork  ] BIG: " << big_blocks << " blocks, " << big_bytes
              << " bytes; whole set: " << total << " bytes\n";
    ::testing::Test::RecordProperty("big_blocks", (int)big_blocks);
    ::testing::Test::RecordProperty("big_bytes", (int)big_bytes);
    ::testing::Test::RecordProperty("set_bytes", (int)total);
    EXPECT_LE(big_blocks, 8000u);
    EXPECT_LT(total, 1000000u);
}

// The generator's frames, encoded, mapped and drawn onto transparent black,
// equal the generator's pixels composited by the reference rule; pixel()
// gives them back exactly. The built-in table holds the same bytes.
TEST(Artwork, RoundTripFromGeneratorFrames)
{
    for (const Artwork &art : draw_all_artwork()) {
        const std::vector<std::uint8_t> bytes = encode(art);
        std::size_t size = 0;
        const void *built = ZR_resource_find(art.name.c_str(), &size);
        ASSERT_EQ(size, bytes.size()) << art.name;
        EXPECT_EQ(std::memcmp(built, bytes.data(), size), 0) << art.name;
        if (!art.strip)
            continue;
        ZR_Vid vid;
        ASSERT_TRUE(vid.map(bytes.data(), bytes.size())) << art.name;
        ZR_Pic<ZR_Pix_A32> dst;
        const int w = art.frames[0].width, h = art.frames[0].height;
        dst.resize(w, h);
        for (int f = 0; f < (int)art.frames.size(); ++f) {
            std::fill(dst.pixels, dst.pixels + w * h, px(0, 0, 0, 0));
            vid.draw(f, dst, 0, 0, {0, 0, w, h});
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const ZR_Pix_A32 want = art.frames[(std::size_t)f].at(x, y);
                    ASSERT_TRUE(same(vid.pixel(f, x, y), want)) << art.name << " frame " << f;
                    ASSERT_TRUE(same(dst.row(y)[x], reference_over(px(0, 0, 0, 0), want)))
                        << art.name << " frame " << f << " at " << x << "," << y;
                }
        }
    }
}

// The encoder refuses a strip a 16-bit index cannot address, naming the
// figures; widths that are not a multiple of 4 store transparent edge pixels.
TEST(ArtworkEncoder, LimitsAndEdgeBlocks)
{
    std::vector<Frame> frames(65536);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i].width = frames[i].height = 4;
        frames[i].pixels.assign(16, px(0, 0, 0, 0));
        frames[i].pixels[0] = px((int)(i & 255), (int)(i >> 8), 0, 255);
    }
    try {
        encode_zrvf(frames);
        ADD_FAILURE() << "65536 distinct blocks were accepted";
    }
    catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("65536 distinct blocks in 65536 frames"),
                  std::string::npos)
            << e.what();
    }
    frames.resize(65535);
    StripStats stats;
    EXPECT_EQ(encode_zrvf(frames, &stats).size(), 20 + 64 * 65535 + 2 * 65535u);
    EXPECT_EQ(stats.blocks, 65535u);

    Frame odd;
    odd.width = 6;
    odd.height = 3;
    odd.pixels.assign(18, px(9, 8, 7, 255));
    const std::vector<std::uint8_t> bytes = encode_zrvf({odd});
    ZR_Vid vid;
    ASSERT_TRUE(vid.map(bytes.data(), bytes.size()));
    EXPECT_EQ(vid.blocks_per_row(), 2);
    // Block column 1 holds 2 x 3 frame pixels; its other 10 are transparent black.
    const unsigned second = vid.index[2] | vid.index[3] << 8;
    int transparent = 0;
    for (int i = 0; i < 16; ++i)
        transparent += same(vid.blocks[second * 16 + i], px(0, 0, 0, 0));
    EXPECT_EQ(transparent, 10);
}
