// Previews: resources composited over the panel colour, strips as contact
// sheets, and the 200 x 236 editor panel laid out as the application does,
// drawn through the framework's own map, blend and draw.
#include "tools/artwork/preview.h"

#include "ZR/Pic/ZR_Pic_Base.h"
#include "ZR/Pic/ZR_Vid.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <sys/stat.h>

namespace {

using Picture = ZR_Pic_Base<ZR_Pix_A32>;

void fill(Picture &pic, Rgb c)
{
    for (int i = 0; i < pic.width * pic.height; ++i)
        pic.pixels[i] = {(std::uint8_t)c.b, (std::uint8_t)c.g, (std::uint8_t)c.r, 255};
}

void write_png(const std::string &path, const Picture &pic, int scale = 1)
{
    const int w = pic.width * scale, h = pic.height * scale;
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    unsigned char *data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const ZR_Pix_A32 p = pic.row(y / scale)[x / scale];
            reinterpret_cast<std::uint32_t *>(data + y * stride)[x] =
                (std::uint32_t)p.red << 16 | (std::uint32_t)p.green << 8 | p.blue;
        }
    cairo_surface_mark_dirty(s);
    const cairo_status_t status = cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

// A frame as a picture of its own (ZRIF bytes, mapped like a resource).
struct Mapped {
    std::vector<std::uint8_t> bytes;
    Picture pic;
    ZR_Vid vid;
};

// Text as the panel's text widget makes it: glyphs on black, every pixel
// that is not black made opaque.
void draw_text(Picture &dst, int left, int top, int w, int h, const char *text, double size,
               bool bold, Rgb colour, int horz)
{
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t *cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Tahoma", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_options_t *options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const double x = horz < 0 ? 0 : horz > 0 ? w - ext.x_advance : (w - ext.x_advance) / 2;
    const double y = (h - (font.ascent + font.descent)) / 2 + font.ascent;
    cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
    cairo_move_to(cr, std::round(x), std::round(y));
    cairo_show_text(cr, text);
    cairo_surface_flush(s);

    Picture glyphs;
    glyphs.resize(w, h);
    const unsigned char *data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const std::uint32_t p =
                reinterpret_cast<const std::uint32_t *>(data + py * stride)[px] & 0xFFFFFF;
            glyphs.row(py)[px] = {(std::uint8_t)p, (std::uint8_t)(p >> 8), (std::uint8_t)(p >> 16),
                                  (std::uint8_t)(p ? 255 : 0)};
        }
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    Picture::blend(glyphs, dst, left, top, {0, 0, w, h});
}

void write_panel(const std::string &dir, std::map<std::string, Mapped> &res)
{
    const int G = 10, X0 = 10, Y0 = 56, W0 = 180, H0 = 170, W = W0 + 20, H = H0 + 66;
    Picture panel;
    panel.resize(W, H);
    fill(panel, {0, 0, 0});
    auto pic = [&](const char *name, int w, int h, int l, int t) {
        Picture &p = res.at(name).pic;
        Picture::blend(p, panel, l, t, {0, 0, w ? w : p.width, h ? h : p.height});
    };
    // In the order the application attaches its widgets.
    pic("BGND", W, H, 0, 0);
    pic("ALT", 10, 10, 0, 0);
    pic("AMT", W - 20, 10, 10, 0);
    pic("ART", 10, 10, W - 10, 0);
    pic("ALM", 10, H - 20, 0, 10);
    pic("ARM", 10, H - 20, W - 10, 10);
    pic("ALB", 10, 10, 0, H - 10);
    pic("AMB", W - 20, 10, 10, H - 10);
    pic("ARB", 10, 10, W - 10, H - 10);
    pic("ORVANE", 0, 0, (W - 160) / 2, 8);
    draw_text(panel, 10, 35, W - 20, 20, "6-th order Butterworth low-pass", 12, false,
              {255, 255, 255}, 0);
    pic("GLT", G, G, X0, Y0);
    pic("GMT", W0 - 2 * G, G, X0 + G, Y0);
    pic("GRT", G, G, X0 + W0 - G, Y0);
    pic("GLM", G, H0 - 2 * G, X0, Y0 + G);
    pic("GMM", W0 - 2 * G + 8, H0 - 2 * G + 8, X0 + G - 4, Y0 + G - 4);
    pic("GRM", G, H0 - 2 * G, X0 + W0 - G, Y0 + G);
    pic("GLB", G, G, X0, Y0 + H0 - G);
    pic("GMB", W0 - 2 * G, G, X0 + G, Y0 + H0 - G);
    pic("GRB", G, G, X0 + W0 - G, Y0 + H0 - G);
    res.at("BUT").vid.draw(1, panel, X0 + 11, Y0 + 11, {0, 0, 40, 24});
    draw_text(panel, X0 + 52, Y0 + 14, 80, 16, "Filter", 12, true, {189, 123, 165}, -1);
    draw_text(panel, X0 + 40, Y0 + 48, 96, 18, "Cutoff frequency", 12, false, {192, 192, 224}, 0);
    // 1500 Hz on the knob: frame 47 of 265.
    res.at("BIG").vid.draw(47, panel, X0 + 56, Y0 + 70, {0, 0, 64, 64});
    draw_text(panel, X0 + 56, Y0 + 138, 64, 18, "283 Hz", 12, false, {176, 176, 176}, 0);
    write_png(dir + "/panel.png", panel);
    write_png(dir + "/panel@2x.png", panel, 2);
    // As the standalone host shows it: on its editor parent colour.
    Picture host;
    host.resize(W + 48, H + 48);
    fill(host, {32, 64, 96});
    Picture::blend(panel, host, 24, 24, {0, 0, W, H});
    write_png(dir + "/panel-in-host.png", host, 2);
}

// Frames of a strip side by side, columns wide, over the panel colour.
void write_sheet(const std::string &path, const Mapped &m, int columns, int scale)
{
    const ZR_Vid &v = m.vid;
    const int gap = 4;
    const int cols = v.frame_count < columns ? v.frame_count : columns;
    const int rows = (v.frame_count + cols - 1) / cols;
    Picture sheet;
    sheet.resize(gap + cols * (v.width + gap), gap + rows * (v.height + gap));
    fill(sheet, PANEL_BASE);
    for (int f = 0; f < v.frame_count; ++f)
        v.draw(f, sheet, gap + f % cols * (v.width + gap), gap + f / cols * (v.height + gap),
               {0, 0, v.width, v.height});
    write_png(path, sheet, scale);
}

} // namespace

void write_previews(const std::string &dir, const std::vector<Artwork> &all)
{
    // The panel's face, Tahoma, ships with Debian's fonts-wine in a folder
    // fontconfig does not search; without it the closest match is used.
    FcConfigAppFontAddDir(FcConfigGetCurrent(),
                          reinterpret_cast<const FcChar8 *>("/usr/share/wine/fonts"));
    ::mkdir(dir.c_str(), 0777);
    std::map<std::string, Mapped> res;
    for (const Artwork &art : all) {
        Mapped &m = res[art.name];
        m.bytes = encode(art);
        const bool ok = art.strip ? m.vid.map(m.bytes.data(), m.bytes.size())
                                  : m.pic.map(m.bytes.data(), m.bytes.size());
        if (!ok)
            throw std::runtime_error(art.name + ": the framework refuses its encoding");
        const std::string path = dir + "/" + art.name + ".png";
        if (art.strip) {
            const int frames = (int)art.frames.size();
            write_sheet(path, m,
                        art.name == "BIG"    ? 16
                        : art.name == "TUNE" ? 5
                                             : 10,
                        frames <= 2         ? 4
                        : m.vid.width <= 32 ? 2
                                            : 1);
        }
        else {
            // Small pictures are shown larger.
            const int scale = m.pic.width <= 16 ? 4 : m.pic.width <= 160 ? 2 : 1;
            Picture shown;
            shown.resize(m.pic.width + 8, m.pic.height + 8);
            fill(shown, PANEL_BASE);
            Picture::blend(m.pic, shown, 4, 4, {0, 0, m.pic.width, m.pic.height});
            write_png(path, shown, scale);
        }
    }
    write_panel(dir, res);
}
