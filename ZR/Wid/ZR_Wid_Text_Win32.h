// Text rendering with GDI: DrawTextA into the picture's DIB section through a
// memory device context of its own, in the font made by CreateFontA.
#pragma once
#include "ZR/Wid/ZR_Wid_Text_Base.h"

#include <atomic>
#include <mutex>
#include <string>

class ZR_Wid_Text_Win32 : public ZR_Wid_Text_Base {
public:
    ZR_Wid_Text_Win32();
    ~ZR_Wid_Text_Win32() override;
    void render() override;
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;
    void make_font() override;

    // The font handle (HFONT), null until a font was made (for tests).
    void *font() const { return m_font.load(std::memory_order_relaxed); }

private:
    void render_locked();
    // Held while the picture is rendered or blended: render runs on the
    // thread that changes the text, draw on the painting one.
    std::mutex m_picture_lock;
    std::atomic<void *> m_font{nullptr};
    // The text the picture shows, by version of the text.
    std::atomic<uint32_t> m_shown_version{0};
};

using ZR_Wid_Text_Platform = ZR_Wid_Text_Win32;
