// A picture in memory: either mapped onto ZRIF resource bytes in place or
// backed by storage of its own, and the compositing of one picture onto another.
#pragma once
#include "ZR/Pic/ZR_Pix.h"

#include <cstddef>
#include <cstdint>

template <class TPix>
class ZR_Pic_Base {
public:
    ZR_Pic_Base() = default;
    ZR_Pic_Base(const ZR_Pic_Base &) = delete;
    ZR_Pic_Base &operator=(const ZR_Pic_Base &) = delete;
    // Mapped bytes are never freed; storage from resize is.
    virtual ~ZR_Pic_Base();

    // Fresh storage of the new size, contents undefined. Sizes that are not
    // positive, or storage that cannot be had, leave the picture empty.
    virtual void resize(int width, int height);

    // Points the picture at ZRIF bytes. When the bytes are a resource of the
    // table, its declared size must fit the resource's length.
    bool map(const void *data);
    // Same, with the length of the bytes known to the caller.
    bool map(const void *data, std::size_t size);

    TPix *row(int y) const { return pixels + (std::ptrdiff_t)y * width; }

    // Composites rect of source onto destination with rect's top-left corner
    // at (x, y). Source coordinates wrap, so a larger rect tiles the source;
    // the area is clipped to the destination.
    static void blend(const ZR_Pic_Base &source, ZR_Pic_Base &destination, int x, int y,
                      const ZR_Rect &rect);

    std::int32_t width = 0;
    std::int32_t height = 0;
    TPix *pixels = nullptr;

protected:
    // Gives up storage obtained by resize, if any; the picture becomes empty.
    void release_storage();
    // Storage obtained by the base resize (null when mapped or platform-backed).
    TPix *m_storage = nullptr;

private:
    bool map_checked(const void *data, bool length_known, std::size_t size);
};

extern template class ZR_Pic_Base<ZR_Pix_A32>;
