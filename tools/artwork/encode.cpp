// ZRIF and ZRVF encoders: little-endian headers, de-duplicated 4x4 blocks.
#include "tools/artwork/artwork.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <stdexcept>

namespace {

void put_i32(std::vector<std::uint8_t> &out, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((std::uint8_t)((std::uint32_t)v >> (8 * i)));
}

using Block = std::array<std::uint8_t, 64>;

unsigned block_sum(const Block &b)
{
    unsigned s = 0;
    for (std::uint8_t v : b)
        s += v;
    return s;
}

// Pixels outside the frame (edge blocks of sizes not a multiple of 4) are
// stored transparent black.
Block cut_block(const Frame &f, int bx, int by)
{
    Block b{};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int px = bx * 4 + x, py = by * 4 + y;
            if (px < f.width && py < f.height)
                std::memcpy(&b[(size_t)(y * 4 + x) * 4], &f.at(px, py), 4);
        }
    return b;
}

} // namespace

std::vector<std::uint8_t> encode_zrif(const Frame &frame)
{
    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'Z', 'R', 'I', 'F'});
    put_i32(out, frame.width);
    put_i32(out, frame.height);
    for (const ZR_Pix_A32 &p : frame.pixels)
        out.insert(out.end(), {p.blue, p.green, p.red, p.alpha});
    return out;
}

std::vector<std::uint8_t> encode_zrvf(const std::vector<Frame> &frames, StripStats *stats)
{
    if (frames.empty())
        throw std::runtime_error("a filmstrip needs at least one frame");
    const int w = frames[0].width, h = frames[0].height;
    const int bc = (w - 1) / 4 + 1, br = (h - 1) / 4 + 1;

    // Distinct blocks first, then their order, then the index.
    std::vector<Block> cut;
    std::map<Block, std::size_t> distinct;
    for (const Frame &f : frames) {
        if (f.width != w || f.height != h)
            throw std::runtime_error("filmstrip frames differ in size");
        for (int by = 0; by < br; ++by)
            for (int bx = 0; bx < bc; ++bx) {
                cut.push_back(cut_block(f, bx, by));
                distinct.emplace(cut.back(), 0);
            }
    }
    if (distinct.size() > 65535)
        throw std::runtime_error(std::to_string(distinct.size()) + " distinct blocks in " +
                                 std::to_string(frames.size()) + " frames of " + std::to_string(w) +
                                 " x " + std::to_string(h) +
                                 "; a filmstrip may hold at most 65535");
    std::vector<Block> order;
    for (const auto &entry : distinct)
        order.push_back(entry.first);
    std::stable_sort(order.begin(), order.end(),
                     [](const Block &a, const Block &b) { return block_sum(a) < block_sum(b); });
    for (std::size_t i = 0; i < order.size(); ++i)
        distinct[order[i]] = i;

    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'Z', 'R', 'V', 'F'});
    put_i32(out, w);
    put_i32(out, h);
    put_i32(out, (std::int32_t)order.size());
    put_i32(out, (std::int32_t)frames.size());
    for (const Block &b : order)
        out.insert(out.end(), b.begin(), b.end());
    for (const Block &b : cut) {
        const std::size_t n = distinct[b];
        out.push_back((std::uint8_t)n);
        out.push_back((std::uint8_t)(n >> 8));
    }
    if (stats) {
        stats->blocks = order.size();
        stats->bytes = out.size();
    }
    return out;
}

std::vector<std::uint8_t> encode(const Artwork &art, StripStats *stats)
{
    if (art.strip) {
        try {
            return encode_zrvf(art.frames, stats);
        }
        catch (const std::runtime_error &e) {
            throw std::runtime_error(art.name + ": " + e.what());
        }
    }
    if (art.frames.size() != 1)
        throw std::runtime_error(art.name + ": a picture has exactly one frame");
    std::vector<std::uint8_t> out = encode_zrif(art.frames[0]);
    if (stats)
        *stats = {0, out.size()};
    return out;
}
