// GDI text labels: the text drawn on black in the label's own memory device
// context, then every inked pixel made opaque.
#include "ZR/Wid/ZR_Wid_Text_Win32.h"
#include "ZR/Pic/ZR_Pic_Win32.h"
#include "ZR/Win/ZR_Win.h"

#include <cstring>

ZR_Wid_Text_Win32::ZR_Wid_Text_Win32() = default;

ZR_Wid_Text_Win32::~ZR_Wid_Text_Win32()
{
    // The picture (and its context, which may hold the font) goes after this
    // body: put the stock font back first so the handle can be deleted.
    if (ZR_Pic_surface *s = picture.surface())
        if (HDC dc = zr_pic_surface_current_dc(s))
            SelectObject(dc, GetStockObject(SYSTEM_FONT));
    if (void *f = m_font.load(std::memory_order_relaxed))
        DeleteObject(static_cast<HFONT>(f));
}

void ZR_Wid_Text_Win32::make_font()
{
    if (face.empty() || size == 0)
        return;
    HFONT made = CreateFontA(-size, 0, 0, 0, bold ? 700 : 400, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!made)
        return;
    std::lock_guard<std::mutex> lock(m_picture_lock);
    void *old = m_font.exchange(made, std::memory_order_relaxed);
    if (old) {
        // Released once no context holds it.
        if (ZR_Pic_surface *s = picture.surface())
            if (HDC dc = zr_pic_surface_current_dc(s))
                SelectObject(dc, made);
        DeleteObject(static_cast<HFONT>(old));
    }
}

void ZR_Wid_Text_Win32::render()
{
    std::lock_guard<std::mutex> lock(m_picture_lock);
    render_locked();
}

void ZR_Wid_Text_Win32::render_locked()
{
    if (!fit_picture())
        return;
    // A new surface (after any resize) gets a new context with its bitmap,
    // compatible with the window's tile-buffer context (the screen's while
    // the window has no parent).
    HDC compatible = zr_pic_surface_current_dc(window->tile_buffer.surface());
    HDC dc = zr_pic_surface_dc(picture.surface(), compatible);
    if (!dc)
        return;
    if (void *f = m_font.load(std::memory_order_relaxed))
        SelectObject(dc, static_cast<HFONT>(f));
    GdiFlush();
    std::memset(picture.pixels, 0, (size_t)width * height * sizeof(ZR_Pix_A32));
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, color.load(std::memory_order_relaxed));
    SetBkMode(dc, OPAQUE);
    const int h = horz.load(std::memory_order_relaxed);
    const UINT align = h < 0 ? DT_LEFT : (h == 0 ? DT_CENTER : DT_RIGHT);
    RECT r = {0, 0, width, height};
    std::lock_guard<std::mutex> text_lock(m_text_lock);
    const uint32_t version = text_version.load(std::memory_order_relaxed);
    DrawTextA(dc, m_string.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | align);
    GdiFlush();
    // Inked pixels become opaque, the cell background transparent.
    ZR_Pix_A32 *p = picture.pixels;
    for (size_t i = 0, n = (size_t)width * height; i < n; ++i)
        if (p[i].red | p[i].green | p[i].blue)
            p[i].alpha = 255;
    m_shown_version.store(version, std::memory_order_relaxed);
}

void ZR_Wid_Text_Win32::draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src)
{
    std::lock_guard<std::mutex> lock(m_picture_lock);
    if (m_shown_version.load(std::memory_order_relaxed) !=
        text_version.load(std::memory_order_relaxed))
        render_locked();
    ZR_Pic_Base<ZR_Pix_A32>::blend(picture, dst, x, y, src);
}
