// ZR_Wid_Pal: segment boxes found once per line, then each level change
// repaints only the segments between the old and the new level.
#include "ZR/Wid/ZR_Wid_Pal.h"
#include "ZR/Win/ZR_Win.h"

#include <algorithm>
#include <cstring>

const ZR_option ZR_Wid_Pal_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Pal),    ZR_OPTION(ZR_Wid_Pal, res), ZR_OPTION(ZR_Wid_Pal, mn),
    ZR_OPTION(ZR_Wid_Pal, rl),     ZR_OPTION(ZR_Wid_Pal, mx),  ZR_OPTION(ZR_Wid_Pal, bg),
    ZR_OPTION(ZR_Wid_Pal, fg),     ZR_OPTION(ZR_Wid_Pal, rg),  ZR_OPTION(ZR_Wid_Pal, cg),
    ZR_OPTION(ZR_Wid_Pal, ch),     ZR_OPTION(ZR_Wid_Pal, ln),  ZR_OPTION(ZR_Wid_Pal, level),
    ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Pal_Line::ZR_Wid_Pal_Line()
{
    for (Box &b : boxes)
        b = {2147483647, 2147483647, 0, 0};
}

ZR_Wid_Pal::ZR_Wid_Pal()
{
    options = ZR_Wid_Pal_options;
}

namespace {

uint32_t word_of(const ZR_Pix_A32 &p)
{
    uint32_t w;
    std::memcpy(&w, &p, 4);
    return w;
}

ZR_Pix_A32 pixel_of(uint32_t w)
{
    ZR_Pix_A32 p;
    std::memcpy(&p, &w, 4);
    return p;
}

uint8_t channel_byte(const ZR_Pix_A32 &p, int channel)
{
    return channel == 0 ? p.blue : (channel == 1 ? p.green : p.red);
}

// The word with the channel's byte and the alpha byte cleared.
uint32_t key_of(uint32_t w, int channel)
{
    return w & ~(0xFFu << (8 * channel)) & 0x00FFFFFFu;
}

} // namespace

bool ZR_Wid_Pal::member(const ZR_Pix_A32 &p, int n) const
{
    const int c = channel_byte(p, line->channel);
    return c == n && c >= line->mn && c <= line->mx &&
           key_of(word_of(p), line->channel) == line->cg;
}

void ZR_Wid_Pal::prepare()
{
    for (int y = map.height - 1; y >= 0; --y)
        for (int x = 0; x < map.width; ++x) {
            const ZR_Pix_A32 p = map.row(y)[x];
            const int c = channel_byte(p, line->channel);
            if (c < line->mn || c > line->mx || key_of(word_of(p), line->channel) != line->cg)
                continue;
            ZR_Wid_Pal_Line::Box &b = line->boxes[c];
            b.min_x = std::min(b.min_x, x);
            b.min_y = std::min(b.min_y, y);
            b.max_x = std::max(b.max_x, x);
            b.max_y = std::max(b.max_y, y);
        }
    line->prepared = 1;
    line->level = 1.0f;
    level(0.0f, false);
}

void ZR_Wid_Pal::level(float x, bool quiet)
{
    if (!line)
        return;
    if (!line->prepared)
        prepare();
    ZR_Wid_Pal_Line &l = *line;
    const int64_t count = (int64_t)l.mx - l.mn + 1;
    const int32_t from = ZR_truncate_to_int((double)count * l.level + l.mn);
    const float target = (float)((double)count * x + l.mn);
    const int32_t to = ZR_truncate_to_int(target);
    const float frac = target - (float)to;
    const bool rising = to > from;
    l.level = x;

    // Only numbers 0..255 within mn..mx can have pixels: the walk skips the
    // rest, so a hostile level cannot make it run for billions of steps.
    const int lo = std::max({0, l.mn, std::min(from, to)});
    const int hi = std::min({255, l.mx, std::max(from, to)});
    const ZR_Pix_A32 bg = pixel_of(l.bg);
    for (int n = lo; n <= hi; ++n) {
        const ZR_Wid_Pal_Line::Box &b = l.boxes[n];
        if (b.min_x > b.max_x || b.min_y > b.max_y)
            continue;
        const float h = l.mx != l.mn ? (float)(n - l.mn) / (float)(l.mx - l.mn) : 0.0f;
        const ZR_Pix_A32 colour = pixel_of(h >= l.rl ? l.rg : l.fg);
        ZR_Pix_A32 out = rising ? colour : bg;
        if (n == to) {
            auto mix = [frac](uint8_t a, uint8_t c) {
                return (uint8_t)(int)((1.0f - frac) * a + frac * c);
            };
            out = {mix(bg.blue, colour.blue), mix(bg.green, colour.green), mix(bg.red, colour.red),
                   mix(bg.alpha, colour.alpha)};
        }
        for (int py = b.min_y; py <= b.max_y && py < picture.height && py < map.height; ++py)
            for (int px = b.min_x; px <= b.max_x && px < picture.width && px < map.width; ++px) {
                const ZR_Pix_A32 m = map.row(py)[px];
                if (!member(m, n))
                    continue;
                ZR_Pix_A32 o = out;
                o.alpha = (uint8_t)(out.alpha * m.alpha / 255);
                picture.row(py)[px] = o;
            }
    }
    if (!quiet && window)
        refresh();
}

ZR_value ZR_Wid_Pal::m_res(ZR_Wid_Pal *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT) {
        if (const void *data = zr_wid_resource(w->res, v)) {
            if (w->map.map(data)) {
                if (w->picture.width != w->map.width || w->picture.height != w->map.height ||
                    !w->picture.pixels)
                    w->picture.resize(w->map.width, w->map.height);
                if (w->picture.pixels)
                    for (int y = 0; y < w->map.height; ++y)
                        std::memcpy(w->picture.row(y), w->map.row(y),
                                    (size_t)w->map.width * sizeof(ZR_Pix_A32));
            }
        }
    }
    return ZR_value::of_text(w->res);
}

namespace {

ZR_value int_field(ZR_Wid_Pal *w, int32_t ZR_Wid_Pal_Line::*field, const ZR_value &v)
{
    if (!w->line)
        return ZR_EMPTY;
    if (v.is_number())
        w->line->*field = v.to_int();
    return ZR_value::of_int(w->line->*field);
}

ZR_value colour_field(ZR_Wid_Pal *w, uint32_t ZR_Wid_Pal_Line::*field, const ZR_value &v)
{
    if (!w->line)
        return ZR_EMPTY;
    if (v.type == ZR_TYPE_INT || v.type == ZR_TYPE_FLOAT)
        w->line->*field = (uint32_t)v.value.i;
    return ZR_value::of_int((int32_t)(w->line->*field));
}

} // namespace

ZR_value ZR_Wid_Pal::m_mn(ZR_Wid_Pal *w, ZR_value v)
{
    return int_field(w, &ZR_Wid_Pal_Line::mn, v);
}
ZR_value ZR_Wid_Pal::m_mx(ZR_Wid_Pal *w, ZR_value v)
{
    return int_field(w, &ZR_Wid_Pal_Line::mx, v);
}
ZR_value ZR_Wid_Pal::m_rl(ZR_Wid_Pal *w, ZR_value v)
{
    if (!w->line)
        return ZR_EMPTY;
    if (v.is_number())
        w->line->rl = (float)v.to_double();
    return ZR_value::of_float(w->line->rl);
}
ZR_value ZR_Wid_Pal::m_bg(ZR_Wid_Pal *w, ZR_value v)
{
    return colour_field(w, &ZR_Wid_Pal_Line::bg, v);
}
ZR_value ZR_Wid_Pal::m_fg(ZR_Wid_Pal *w, ZR_value v)
{
    return colour_field(w, &ZR_Wid_Pal_Line::fg, v);
}
ZR_value ZR_Wid_Pal::m_rg(ZR_Wid_Pal *w, ZR_value v)
{
    return colour_field(w, &ZR_Wid_Pal_Line::rg, v);
}
ZR_value ZR_Wid_Pal::m_cg(ZR_Wid_Pal *w, ZR_value v)
{
    return colour_field(w, &ZR_Wid_Pal_Line::cg, v);
}

ZR_value ZR_Wid_Pal::m_ch(ZR_Wid_Pal *w, ZR_value v)
{
    if (!w->line)
        return ZR_EMPTY;
    ZR_Wid_Pal_Line &l = *w->line;
    if (v.type == ZR_TYPE_TEXT && v.value.s) {
        const char c = v.value.s[0];
        l.channel = c == 'b' ? 0 : (c == 'g' ? 1 : (c == 'r' ? 2 : l.channel));
        l.cg = key_of(l.cg, l.channel);
    }
    static const char *const letters[] = {"b", "g", "r"};
    return ZR_value::of_text(l.channel >= 0 && l.channel <= 2 ? letters[l.channel] : "b");
}

ZR_value ZR_Wid_Pal::m_ln(ZR_Wid_Pal *w, ZR_value v)
{
    if (v.type == ZR_TYPE_OBJECT)
        w->line = static_cast<ZR_Wid_Pal_Line *>(v.value.o);
    return ZR_value::of_object(w->line);
}

ZR_value ZR_Wid_Pal::m_level(ZR_Wid_Pal *w, ZR_value v)
{
    if (!w->line)
        return ZR_EMPTY;
    if (v.is_number())
        w->level((float)v.to_double(), false);
    return ZR_EMPTY;
}
