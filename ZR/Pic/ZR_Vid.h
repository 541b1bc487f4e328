// A filmstrip view onto ZRVF bytes: equally sized frames stored as
// de-duplicated 4x4 blocks and a 16-bit block index per frame.
#pragma once
#include "ZR/Pic/ZR_Pic_Base.h"

#include <cstddef>
#include <cstdint>

struct ZR_Vid {
    std::int32_t block_count = 0;
    std::int32_t frame_count = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Block store: 16 pixels a block, row-major.
    const ZR_Pix_A32 *blocks = nullptr;
    // Index table: little-endian 16-bit block numbers, frame by frame, block
    // row by block row, left to right (bytes, so any alignment works).
    const std::uint8_t *index = nullptr;

    // Points the view at ZRVF bytes. When the bytes are a resource of the
    // table, the declared sizes must fit its length and every index entry
    // must name a stored block.
    bool map(const void *data);
    bool map(const void *data, std::size_t size);

    // Composites rect of frame onto destination with rect's top-left corner
    // at (x, y). Frames out of range, parts of rect outside the frame or the
    // destination, and entries naming missing blocks draw nothing.
    void draw(int frame, ZR_Pic_Base<ZR_Pix_A32> &destination, int x, int y,
              const ZR_Rect &rect) const;

    // The pixel at (x, y) of frame; transparent black outside the strip.
    ZR_Pix_A32 pixel(int frame, int x, int y) const;

    // Blocks per row and block rows.
    int blocks_per_row() const { return (width - 1) / 4 + 1; }
    int block_rows() const { return (height - 1) / 4 + 1; }

private:
    bool map_checked(const void *data, bool length_known, std::size_t size);
    unsigned entry(std::size_t position) const
    {
        return (unsigned)index[2 * position] | (unsigned)index[2 * position + 1] << 8;
    }
};
