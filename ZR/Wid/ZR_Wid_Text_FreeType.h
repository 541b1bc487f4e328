// Text rendering with FreeType; faces found through fontconfig (Tahoma
// from the wine fonts when installed, else the closest face).
#pragma once
#include "ZR/Wid/ZR_Wid_Text_Base.h"

struct ZR_font; // a face at one pixel size with its glyph cache

class ZR_Wid_Text_FreeType : public ZR_Wid_Text_Base {
public:
    ZR_Wid_Text_FreeType();
    void render() override;
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;
    void make_font() override;

    // The face used without -font and -size: a desktop's dialog font size.
    static constexpr const char *DEFAULT_FACE = "Tahoma";
    static constexpr int DEFAULT_SIZE = 11;

    // A process whose toolkit also uses fontconfig calls this: fontconfig's
    // caches are then not given back at exit, where the toolkit still
    // holds them (fontconfig asserts on that).
    static void share_fontconfig();

    // The font file fontconfig chose for the current font (for tests).
    std::string font_file() const;

private:
    void render_locked();
    // Held while the picture is rendered or blended: render runs on the
    // thread that changes the text, draw on the painting one.
    std::mutex m_picture_lock;
    std::atomic<ZR_font *> m_font{nullptr};
    std::atomic<uint32_t> m_shown_version{0};
};
using ZR_Wid_Text_Platform = ZR_Wid_Text_FreeType;
