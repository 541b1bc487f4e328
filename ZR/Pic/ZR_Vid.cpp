// Mapping ZRVF bytes, drawing frames block by block, reading one pixel.
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/Pic/private/composite.h"
#include "ZR/core/ZR_cfuncs.h"

#include <cstring>

using namespace zr_pic_detail;

namespace {

const char SOURCE[] = "ZR/Vid";
const char PROC[] = "ZR_Vid::map";
constexpr int LINE = 14;
constexpr std::size_t HEADER = 20;
constexpr std::size_t BLOCK_BYTES = 64;

void report(const char *message)
{
    ZR_error_func(SOURCE, LINE, PROC, __DATE__, __TIME__, message);
}

// Index entries of one frame; a frame without pixels has none.
unsigned long long entries_per_frame(std::int32_t w, std::int32_t h)
{
    if (w <= 0 || h <= 0)
        return 0;
    return (unsigned long long)((w - 1) / 4 + 1) * (unsigned long long)((h - 1) / 4 + 1);
}

} // namespace

bool ZR_Vid::map(const void *data)
{
    std::size_t size = 0;
    const bool known = ZR_resource_length(data, &size);
    return map_checked(data, known, size);
}

bool ZR_Vid::map(const void *data, std::size_t size)
{
    return map_checked(data, true, size);
}

bool ZR_Vid::map_checked(const void *data, bool length_known, std::size_t size)
{
    if (!data)
        return false;
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    if ((length_known && size < 4) || std::memcmp(bytes, "ZRVF", 4) != 0) {
        report("Invalid ZRVF header");
        return false;
    }
    if (length_known) {
        if (size < HEADER) {
            report("ZRVF sizes do not fit the resource");
            return false;
        }
        const std::int32_t w = read_i32(bytes + 4), h = read_i32(bytes + 8);
        const std::int32_t n = read_i32(bytes + 12), f = read_i32(bytes + 16);
        const unsigned long long room = size - HEADER;
        const unsigned long long per_frame = entries_per_frame(w, h);
        if (w < 0 || h < 0 || n < 0 || f < 0 || (unsigned long long)n > room / BLOCK_BYTES ||
            (per_frame && (unsigned long long)f > (room - n * BLOCK_BYTES) / 2 / per_frame)) {
            report("ZRVF sizes do not fit the resource");
            return false;
        }
        const unsigned char *table = bytes + HEADER + n * BLOCK_BYTES;
        const unsigned long long entries = per_frame * (unsigned long long)f;
        for (unsigned long long e = 0; e < entries; ++e) {
            if (((unsigned)table[2 * e] | (unsigned)table[2 * e + 1] << 8) >= (unsigned)n) {
                report("ZRVF index names a missing block");
                return false;
            }
        }
    }
    width = read_i32(bytes + 4);
    height = read_i32(bytes + 8);
    block_count = read_i32(bytes + 12);
    frame_count = read_i32(bytes + 16);
    blocks = reinterpret_cast<const ZR_Pix_A32 *>(bytes + HEADER);
    index = bytes + HEADER + (std::ptrdiff_t)block_count * (std::ptrdiff_t)BLOCK_BYTES;
    return true;
}

void ZR_Vid::draw(int frame, ZR_Pic_Base<ZR_Pix_A32> &destination, int x, int y,
                  const ZR_Rect &rect) const
{
    if (!blocks || frame < 0 || frame >= frame_count || width <= 0 || height <= 0 ||
        !destination.pixels)
        return;
    // Inside the frame first, then inside the destination.
    ZR_Rect r = rect;
    long long dx = x, dy = y;
    if (r.left < 0) {
        dx -= r.left;
        r.left = 0;
    }
    if (r.top < 0) {
        dy -= r.top;
        r.top = 0;
    }
    if (dx >= destination.width || dy >= destination.height)
        return;
    x = (int)dx;
    y = (int)dy;
    if (r.right > width)
        r.right = width;
    if (r.bottom > height)
        r.bottom = height;
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    if (!clip_to_destination(r, x, y, destination.width, destination.height))
        return;

    const int bc = blocks_per_row();
    const std::size_t base = (std::size_t)frame * (std::size_t)bc * (std::size_t)block_rows();
    const unsigned stored = (unsigned)(block_count < 0 ? 0 : block_count);
    const int first_bx = r.left / 4, last_bx = (r.right - 1) / 4;
    for (int py = r.top; py < r.bottom; ++py) {
        const int by = py / 4;
        const std::size_t row_base = base + (std::size_t)by * bc;
        ZR_Pix_A32 *dst = destination.row(y + py - r.top) + x;
        for (int bx = first_bx; bx <= last_bx; ++bx) {
            const unsigned number = entry(row_base + bx);
            if (number >= stored)
                continue;
            const int from = bx * 4 > r.left ? bx * 4 : r.left;
            const int to = bx * 4 + 4 < r.right ? bx * 4 + 4 : r.right;
            const ZR_Pix_A32 *block_row = blocks + (std::size_t)number * 16 + (py - by * 4) * 4;
            if (to - from == 4) // whole block rows: a fixed-length run the compiler unrolls
                composite_run(dst + (from - r.left), block_row, 4);
            else
                composite_run(dst + (from - r.left), block_row + (from - bx * 4), to - from);
        }
    }
}

ZR_Pix_A32 ZR_Vid::pixel(int frame, int x, int y) const
{
    if (!blocks || frame < 0 || frame >= frame_count || x < 0 || y < 0 || x >= width || y >= height)
        return ZR_Pix_A32{0, 0, 0, 0};
    const std::size_t position =
        ((std::size_t)frame * block_rows() + y / 4) * blocks_per_row() + x / 4;
    const unsigned number = entry(position);
    if (number >= (unsigned)block_count)
        return ZR_Pix_A32{0, 0, 0, 0};
    return blocks[(std::size_t)number * 16 + (y % 4) * 4 + x % 4];
}
