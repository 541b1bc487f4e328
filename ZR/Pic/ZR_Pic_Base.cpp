// Mapping ZRIF bytes, heap-backed resize and blend.
#include "ZR/Pic/ZR_Pic_Base.h"
#include "ZR/Pic/private/composite.h"
#include "ZR/core/ZR_cfuncs.h"

#include <cstring>
#include <new>

using namespace zr_pic_detail;

namespace {

const char SOURCE[] = "ZR/Pic/Base";
const char PROC[] = "ZR_Pic_Base<TPix>::map";
constexpr int LINE = 21;
constexpr std::size_t HEADER = 12;

void report(const char *message)
{
    ZR_error_func(SOURCE, LINE, PROC, __DATE__, __TIME__, message);
}

// Remainder that never goes negative: equal to the signed remainder for
// coordinates >= 0, and keeps negative ones inside the source.
inline int wrap(long long v, int n)
{
    long long r = v % n;
    return (int)(r < 0 ? r + n : r);
}

} // namespace

template <class TPix>
ZR_Pic_Base<TPix>::~ZR_Pic_Base()
{
    delete[] m_storage;
}

template <class TPix>
void ZR_Pic_Base<TPix>::release_storage()
{
    delete[] m_storage;
    m_storage = nullptr;
    pixels = nullptr;
    width = 0;
    height = 0;
}

template <class TPix>
void ZR_Pic_Base<TPix>::resize(int w, int h)
{
    release_storage();
    if (w <= 0 || h <= 0)
        return;
    m_storage = new (std::nothrow) TPix[(std::size_t)w * (std::size_t)h];
    if (!m_storage)
        return;
    pixels = m_storage;
    width = w;
    height = h;
}

template <class TPix>
bool ZR_Pic_Base<TPix>::map(const void *data)
{
    std::size_t size = 0;
    const bool known = ZR_resource_length(data, &size);
    return map_checked(data, known, size);
}

template <class TPix>
bool ZR_Pic_Base<TPix>::map(const void *data, std::size_t size)
{
    return map_checked(data, true, size);
}

template <class TPix>
bool ZR_Pic_Base<TPix>::map_checked(const void *data, bool length_known, std::size_t size)
{
    // A missing resource was reported by the lookup already.
    if (!data)
        return false;
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    if ((length_known && size < 4) || std::memcmp(bytes, "ZRIF", 4) != 0) {
        report("Invalid ZRIF header");
        return false;
    }
    if (length_known) {
        if (size < HEADER) {
            report("ZRIF sizes do not fit the resource");
            return false;
        }
        const std::int32_t w = read_i32(bytes + 4), h = read_i32(bytes + 8);
        if (w < 0 || h < 0 ||
            (unsigned long long)w * (unsigned long long)h > (size - HEADER) / sizeof(TPix)) {
            report("ZRIF sizes do not fit the resource");
            return false;
        }
    }
    release_storage();
    width = read_i32(bytes + 4);
    height = read_i32(bytes + 8);
    pixels = reinterpret_cast<TPix *>(const_cast<unsigned char *>(bytes + HEADER));
    return true;
}

template <class TPix>
void ZR_Pic_Base<TPix>::blend(const ZR_Pic_Base &source, ZR_Pic_Base &destination, int x, int y,
                              const ZR_Rect &rect)
{
    const int sw = source.width, sh = source.height;
    if (!source.pixels || sw <= 0 || sh <= 0 || !destination.pixels)
        return;
    ZR_Rect r = rect;
    if (!clip_to_destination(r, x, y, destination.width, destination.height))
        return;
    const int n = r.right - r.left;
    const int first_column = wrap(r.left, sw);
    for (long long sy = r.top; sy < r.bottom; ++sy) {
        const TPix *src = source.row(wrap(sy, sh));
        TPix *dst = destination.row(y + (int)(sy - r.top)) + x;
        // Runs up to the source's right edge, then from its column 0 again.
        int column = first_column, done = 0;
        while (done < n) {
            const int run = n - done < sw - column ? n - done : sw - column;
            composite_run(dst + done, src + column, run);
            done += run;
            column = 0;
        }
    }
}

template class ZR_Pic_Base<ZR_Pix_A32>;
