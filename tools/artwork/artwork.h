// The program's picture resources drawn as straight-alpha frames, and their
// encoding as ZRIF and ZRVF bytes.
#pragma once
#include "ZR/Pic/ZR_Pix.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<ZR_Pix_A32> pixels; // rows top-down, straight alpha

    ZR_Pix_A32 &at(int x, int y) { return pixels[(std::size_t)y * width + x]; }
    const ZR_Pix_A32 &at(int x, int y) const { return pixels[(std::size_t)y * width + x]; }
};

struct Artwork {
    std::string name;   // resource name, upper case
    bool strip = false; // ZRVF filmstrip, else ZRIF picture
    std::vector<Frame> frames;
};

// Every resource of the program, in table order.
std::vector<Artwork> draw_all_artwork();
// One resource by name (upper case), or an artwork without frames.
Artwork draw_artwork(const std::string &name);

// The accent and surface colours, shared with the previews' mock-up.
struct Rgb {
    int r, g, b;
};
extern const Rgb PANEL_BASE;

// Encoding. A strip's blocks are distinct, all used, in ascending order of
// the sum of their 64 bytes (then by bytes).
std::vector<std::uint8_t> encode_zrif(const Frame &frame);
struct StripStats {
    std::size_t blocks = 0;
    std::size_t bytes = 0;
};
// Throws std::runtime_error with the figures when the strip needs more blocks
// than a 16-bit index can name.
std::vector<std::uint8_t> encode_zrvf(const std::vector<Frame> &frames,
                                      StripStats *stats = nullptr);
std::vector<std::uint8_t> encode(const Artwork &art, StripStats *stats = nullptr);
