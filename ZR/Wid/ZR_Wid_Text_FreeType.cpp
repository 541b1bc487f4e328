// Text labels rendered with FreeType. Faces are found by fontconfig (the wine
// fonts directory added, for Tahoma), opened once per file, size and weight,
// and keep a cache of their rendered glyphs for the 256 single-byte codes.
#include "ZR/Wid/ZR_Wid_Text_FreeType.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

struct ZR_font {
    struct Glyph {
        bool ready = false;
        int width = 0, rows = 0, left = 0, top = 0, advance = 0;
        std::vector<uint8_t> coverage;
    };
    std::string file;
    int index = 0;
    int size = 0;
    bool bold = false;
    bool embolden = false;
    FT_Face face = nullptr;
    int ascent = 0, descent = 0;
    Glyph glyphs[256];
};

namespace {

const char *const WINE_FONTS = "/usr/share/wine/fonts";

// FreeType's library and faces are not safe across threads: one lock for all
// fonts, held while a face is opened or a glyph rendered or read.
std::mutex g_font_lock;
std::atomic<bool> g_fontconfig_shared{false};

struct Registry {
    FT_Library library = nullptr;
    bool fontconfig = false;
    std::vector<std::unique_ptr<ZR_font>> fonts;
    ~Registry()
    {
        for (auto &f : fonts)
            if (f->face)
                FT_Done_Face(f->face);
        fonts.clear();
        if (library)
            FT_Done_FreeType(library);
        // Gives back fontconfig's caches, so leak checkers see none.
        if (fontconfig && !g_fontconfig_shared.load(std::memory_order_relaxed))
            FcFini();
    }
};

Registry &registry()
{
    static Registry r;
    return r;
}

// The file fontconfig chooses for a family and weight; false when none.
bool match_face(const char *family, bool bold, std::string *file, int *index, bool *embolden)
{
    Registry &r = registry();
    if (!r.fontconfig) {
        if (!FcInit())
            return false;
        FcConfigAppFontAddDir(nullptr, (const FcChar8 *)WINE_FONTS);
        r.fontconfig = true;
    }
    FcPattern *pattern = FcPatternCreate();
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)family);
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8 *path = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (ok) {
        *file = (const char *)path;
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch)
            *index = 0;
        FcBool synth = FcFalse;
        *embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &synth) == FcResultMatch && synth;
    }
    FcPatternDestroy(match);
    return ok;
}

// The font for family at a pixel size, opened once; null when no face can
// be had at all. Caller holds g_font_lock.
ZR_font *find_font(const char *family, int size, bool bold)
{
    Registry &r = registry();
    if (!r.library && FT_Init_FreeType(&r.library) != 0) {
        r.library = nullptr;
        return nullptr;
    }
    std::string file;
    int index = 0;
    bool embolden = false;
    if (!match_face(family, bold, &file, &index, &embolden))
        return nullptr;
    if (size < 0)
        size = -size;
    if (size == 0 || size > 1000)
        size = ZR_Wid_Text_FreeType::DEFAULT_SIZE;
    for (auto &f : r.fonts)
        if (f->file == file && f->index == index && f->size == size && f->bold == bold)
            return f.get();
    auto font = std::make_unique<ZR_font>();
    if (FT_New_Face(r.library, file.c_str(), index, &font->face) != 0)
        return nullptr;
    if (FT_Set_Pixel_Sizes(font->face, 0, (FT_UInt)size) != 0) {
        FT_Done_Face(font->face);
        return nullptr;
    }
    font->file = file;
    font->index = index;
    font->size = size;
    font->bold = bold;
    font->embolden = embolden;
    font->ascent = (int)(font->face->size->metrics.ascender >> 6);
    font->descent = (int)(-font->face->size->metrics.descender >> 6);
    r.fonts.push_back(std::move(font));
    return r.fonts.back().get();
}

// Renders one glyph into the cache (anti-aliased outlines: the wine faces'
// 1-bit strikes are skipped). Caller holds g_font_lock.
const ZR_font::Glyph &glyph(ZR_font *font, unsigned char c)
{
    ZR_font::Glyph &g = font->glyphs[c];
    if (g.ready)
        return g;
    g.ready = true;
    FT_UInt index = FT_Get_Char_Index(font->face, c);
    if (FT_Load_Glyph(font->face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0)
        return g;
    FT_GlyphSlot slot = font->face->glyph;
    if (font->embolden)
        FT_GlyphSlot_Embolden(slot);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return g;
    const FT_Bitmap &bm = slot->bitmap;
    g.advance = (int)((slot->advance.x + 32) >> 6);
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY)
        return g;
    g.width = (int)bm.width;
    g.rows = (int)bm.rows;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.coverage.resize((size_t)g.width * g.rows);
    for (int y = 0; y < g.rows; ++y)
        std::memcpy(&g.coverage[(size_t)y * g.width], bm.buffer + (std::ptrdiff_t)y * bm.pitch,
                    (size_t)g.width);
    return g;
}

} // namespace

ZR_Wid_Text_FreeType::ZR_Wid_Text_FreeType() = default;

void ZR_Wid_Text_FreeType::make_font()
{
    if (face.empty() || size == 0)
        return;
    std::lock_guard<std::mutex> lock(g_font_lock);
    if (ZR_font *f = find_font(face.c_str(), size, bold))
        m_font.store(f, std::memory_order_relaxed);
}

std::string ZR_Wid_Text_FreeType::font_file() const
{
    std::lock_guard<std::mutex> lock(g_font_lock);
    ZR_font *f = m_font.load(std::memory_order_relaxed);
    if (!f)
        f = find_font(DEFAULT_FACE, DEFAULT_SIZE, false);
    return f ? f->file : std::string();
}

void ZR_Wid_Text_FreeType::render()
{
    std::lock_guard<std::mutex> picture_lock(m_picture_lock);
    render_locked();
}

void ZR_Wid_Text_FreeType::render_locked()
{
    if (!fit_picture())
        return;
    std::memset(picture.pixels, 0, (size_t)width * height * sizeof(ZR_Pix_A32));

    const uint32_t c = color.load(std::memory_order_relaxed);
    const int red = c & 0xFF, green = (c >> 8) & 0xFF, blue = (c >> 16) & 0xFF;
    std::lock_guard<std::mutex> text_lock(m_text_lock);
    const uint32_t version = text_version.load(std::memory_order_relaxed);
    std::lock_guard<std::mutex> font_lock(g_font_lock);
    ZR_font *font = m_font.load(std::memory_order_relaxed);
    if (!font)
        font = find_font(DEFAULT_FACE, DEFAULT_SIZE, false);
    if (font) {
        int text_width = 0;
        for (unsigned char ch : m_string)
            text_width += glyph(font, ch).advance;
        const int h = horz.load(std::memory_order_relaxed);
        int pen = h < 0 ? 0 : (h == 0 ? (width - text_width) / 2 : width - text_width);
        const int baseline = (height - (font->ascent + font->descent)) / 2 + font->ascent;
        for (unsigned char ch : m_string) {
            const ZR_font::Glyph &g = glyph(font, ch);
            for (int gy = 0; gy < g.rows; ++gy) {
                const int y = baseline - g.top + gy;
                if (y < 0 || y >= height)
                    continue;
                ZR_Pix_A32 *row = picture.row(y);
                for (int gx = 0; gx < g.width; ++gx) {
                    const int x = pen + g.left + gx;
                    const int k = g.coverage[(size_t)gy * g.width + gx];
                    if (x < 0 || x >= width || k == 0)
                        continue;
                    // Colour over the black cell; overlapping glyphs keep the
                    // stronger ink.
                    ZR_Pix_A32 &p = row[x];
                    p.red = std::max<int>(p.red, (red * k + 127) / 255);
                    p.green = std::max<int>(p.green, (green * k + 127) / 255);
                    p.blue = std::max<int>(p.blue, (blue * k + 127) / 255);
                }
            }
            pen += g.advance;
        }
    }
    // Inked pixels become opaque, the cell background transparent.
    ZR_Pix_A32 *p = picture.pixels;
    for (size_t i = 0, n = (size_t)width * height; i < n; ++i)
        if (p[i].red | p[i].green | p[i].blue)
            p[i].alpha = 255;
    m_shown_version.store(version, std::memory_order_relaxed);
}

void ZR_Wid_Text_FreeType::draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src)
{
    std::lock_guard<std::mutex> picture_lock(m_picture_lock);
    if (m_shown_version.load(std::memory_order_relaxed) !=
        text_version.load(std::memory_order_relaxed))
        render_locked();
    ZR_Pic_Base<ZR_Pix_A32>::blend(picture, dst, x, y, src);
}

void ZR_Wid_Text_FreeType::share_fontconfig()
{
    g_fontconfig_shared.store(true, std::memory_order_relaxed);
}
