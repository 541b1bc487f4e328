// Win32 pictures: DIB sections, top-down 32-bit rows that GDI draws into and
// copies to windows in place.
#include "ZR/Pic/ZR_Pic_Win32.h"

#include <cstdint>
#include <new>

struct ZR_Pic_surface {
    BITMAPINFOHEADER header;
    HBITMAP bitmap;
    void *bits;
    HDC dc;
    HGDIOBJ old_bitmap;
};

ZR_Pic_surface *zr_pic_surface_create(int width, int height)
{
    if (width <= 0 || height <= 0 || (std::uint64_t)width * (std::uint64_t)height > 0x1FFFFFFF)
        return nullptr;
    auto *s = new (std::nothrow) ZR_Pic_surface{};
    if (!s)
        return nullptr;
    s->header.biSize = sizeof(BITMAPINFOHEADER);
    s->header.biWidth = width;
    s->header.biHeight = -height; // rows top-down
    s->header.biPlanes = 1;
    s->header.biBitCount = 32;
    s->header.biCompression = BI_RGB;
    BITMAPINFO info = {};
    info.bmiHeader = s->header;
    s->bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &s->bits, nullptr, 0);
    if (!s->bitmap || !s->bits) {
        if (s->bitmap)
            DeleteObject(s->bitmap);
        delete s;
        return nullptr;
    }
    // Sections start zeroed; pictures promise it.
    return s;
}

void *zr_pic_surface_pixels(ZR_Pic_surface *surface)
{
    return surface ? surface->bits : nullptr;
}

HBITMAP zr_pic_surface_bitmap(ZR_Pic_surface *surface)
{
    return surface ? surface->bitmap : nullptr;
}

const BITMAPINFOHEADER *zr_pic_surface_header(ZR_Pic_surface *surface)
{
    return surface ? &surface->header : nullptr;
}

HDC zr_pic_surface_dc(ZR_Pic_surface *surface, HDC compatible)
{
    if (!surface)
        return nullptr;
    if (!surface->dc) {
        surface->dc = CreateCompatibleDC(compatible);
        if (!surface->dc)
            return nullptr;
        SetMapMode(surface->dc, MM_TEXT);
        surface->old_bitmap = SelectObject(surface->dc, surface->bitmap);
    }
    return surface->dc;
}

HDC zr_pic_surface_current_dc(ZR_Pic_surface *surface)
{
    return surface ? surface->dc : nullptr;
}

void zr_pic_surface_release_dc(ZR_Pic_surface *surface)
{
    if (!surface || !surface->dc)
        return;
    SelectObject(surface->dc, surface->old_bitmap);
    DeleteDC(surface->dc);
    surface->dc = nullptr;
}

void zr_pic_surface_destroy(ZR_Pic_surface *surface)
{
    if (!surface)
        return;
    // A bitmap selected into a context cannot be deleted: the context goes first.
    zr_pic_surface_release_dc(surface);
    DeleteObject(surface->bitmap);
    delete surface;
}
