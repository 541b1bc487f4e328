// The skin: every picture resource drawn with cairo. Still parts are drawn
// once per strip and copied into every frame, so that only what moves (a
// pointer, the tip of a lit arc, a handle) makes new blocks.
#include "tools/artwork/artwork.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

const Rgb PANEL_BASE = {23, 31, 43};

namespace {

constexpr double PI = 3.14159265358979323846;

// Palette: a dark slate skin that sits on a (32, 64, 96) host.
const Rgb PLATE = {32, 42, 57};
const Rgb OUTLINE = {11, 14, 20};
const Rgb ACCENT = {112, 198, 234};
const Rgb INK = {226, 232, 242};

// A cairo ARGB32 surface with its context.
class Canvas {
public:
    Canvas(int w, int h)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)),
          m_cr(cairo_create(m_surface)), m_w(w), m_h(h)
    {
        if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS)
            throw std::runtime_error("cairo cannot make a surface");
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    ~Canvas()
    {
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
    }
    cairo_t *cr() const { return m_cr; }
    cairo_surface_t *surface() const { return m_surface; }

    // Premultiplied cairo pixels to straight alpha.
    Frame frame() const
    {
        cairo_surface_flush(m_surface);
        Frame f;
        f.width = m_w;
        f.height = m_h;
        f.pixels.resize((size_t)m_w * m_h);
        const unsigned char *data = cairo_image_surface_get_data(m_surface);
        const int stride = cairo_image_surface_get_stride(m_surface);
        for (int y = 0; y < m_h; ++y) {
            const std::uint32_t *row = reinterpret_cast<const std::uint32_t *>(data + y * stride);
            for (int x = 0; x < m_w; ++x) {
                const std::uint32_t p = row[x];
                const int a = (int)(p >> 24);
                auto un = [a](int c) {
                    return (std::uint8_t)(a ? std::min(255, (c * 255 + a / 2) / a) : 0);
                };
                f.at(x, y) = {un((int)(p & 255)), un((int)(p >> 8 & 255)), un((int)(p >> 16 & 255)),
                              (std::uint8_t)a};
            }
        }
        return f;
    }

    // Copies another canvas of the same size (the still parts of a strip).
    void copy_from(const Canvas &other)
    {
        cairo_save(m_cr);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(m_cr, other.m_surface, 0, 0);
        cairo_paint(m_cr);
        cairo_restore(m_cr);
    }

private:
    cairo_surface_t *m_surface;
    cairo_t *m_cr;
    int m_w, m_h;
};

void set(cairo_t *cr, Rgb c, double a = 1.0)
{
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, a);
}

Rgb mixed(Rgb a, Rgb b, double t)
{
    return {(int)std::lround(a.r + (b.r - a.r) * t), (int)std::lround(a.g + (b.g - a.g) * t),
            (int)std::lround(a.b + (b.b - a.b) * t)};
}

void rounded_rect(cairo_t *cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, PI / 2, PI);
    cairo_arc(cr, x + r, y + r, r, PI, 1.5 * PI);
    cairo_close_path(cr);
}

// Deterministic grain in -1..1 for a pixel (wraps with any tile size).
double grain(int x, int y, unsigned seed)
{
    std::uint32_t h =
        (std::uint32_t)x * 374761393u + (std::uint32_t)y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 32767.5 - 1.0;
}

std::uint8_t clamp_byte(double v)
{
    return (std::uint8_t)std::clamp((int)std::lround(v), 0, 255);
}

// An opaque tile of colour base with fine grain and a soft periodic cloud;
// every term repeats with the tile, so edges meet seamlessly.
Frame textured_tile(int w, int h, Rgb base, double grain_amount, double cloud_amount, unsigned seed)
{
    Canvas c(w, h);
    set(c.cr(), base);
    cairo_paint(c.cr());
    Frame f = c.frame();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = 2 * PI * x / w, v = 2 * PI * y / h;
            const double cloud = 0.5 * std::sin(u + 2 * v + seed) +
                                 0.35 * std::cos(2 * u - v + 1.7) +
                                 0.25 * std::sin(3 * u + 3 * v + 0.4);
            const double d = grain(x, y, seed) * grain_amount + cloud * cloud_amount;
            ZR_Pix_A32 &p = f.at(x, y);
            p.red = clamp_byte(p.red + d);
            p.green = clamp_byte(p.green + d);
            p.blue = clamp_byte(p.blue + d * 1.2);
        }
    return f;
}

// The panel's outer rim, as a function of the distance from the panel edge
// and the side; the pieces are cut from it, so corners and edges meet.
enum Side {
    TOP,
    BOTTOM,
    LEFT,
    RIGHT
};

ZR_Pix_A32 rim_pixel(double d, Side side)
{
    // Straight alpha: colour then opacity. No piece is fully opaque.
    double r = 0, g = 0, b = 0, a = 0;
    if (d < 1) {
        r = 6, g = 8, b = 12, a = 0.80;
    }
    else if (d < 2) {
        if (side == TOP || side == LEFT)
            r = 150, g = 170, b = 200, a = side == TOP ? 0.16 : 0.10;
        else
            r = 0, g = 0, b = 0, a = side == BOTTOM ? 0.42 : 0.34;
    }
    else {
        const double t = std::max(0.0, 1 - (d - 2) / 8);
        r = 0, g = 2, b = 6, a = 0.30 * t * t;
    }
    return {(std::uint8_t)b, (std::uint8_t)g, (std::uint8_t)r, clamp_byte(a * 255)};
}

// A 10 x 10 outer piece; dx and dy are the distances of a pixel's centre to
// the nearest vertical and horizontal panel edges (negative: no such edge).
Frame rim_piece(int col, int row)
{
    Frame f;
    f.width = f.height = 10;
    f.pixels.resize(100);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const double dx = col == 0 ? x + 0.5 : col == 2 ? 9.5 - x : 1e9;
            const double dy = row == 0 ? y + 0.5 : row == 2 ? 9.5 - y : 1e9;
            if (dy <= dx)
                f.at(x, y) = rim_pixel(dy, row == 0 ? TOP : BOTTOM);
            else
                f.at(x, y) = rim_pixel(dx, col == 0 ? LEFT : RIGHT);
        }
    return f;
}

// The group frame: a raised plate with a dark outline and a lit top bevel.
// Its ring is 6 pixels wide; the fill inside it is left transparent because
// the GMM piece lies there. Cut from a 180 x 170 plate of corner radius 5.
Frame group_piece(int col, int row)
{
    const double W = 180, H = 170, R = 5;
    const int ox = col == 0 ? 0 : col == 1 ? 80 : 170;
    const int oy = row == 0 ? 0 : row == 1 ? 80 : 160;
    Frame f;
    f.width = f.height = 10;
    f.pixels.resize(100);
    constexpr int S = 8; // supersampling per axis
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            double acc_r = 0, acc_g = 0, acc_b = 0, acc_a = 0;
            for (int sy = 0; sy < S; ++sy)
                for (int sx = 0; sx < S; ++sx) {
                    const double px = ox + x + (sx + 0.5) / S, py = oy + y + (sy + 0.5) / S;
                    // Inward distance to the rounded outline, and the outward normal.
                    const double qx = std::max(R - px, px - (W - R)),
                                 qy = std::max(R - py, py - (H - R));
                    double d, ny;
                    if (qx > 0 && qy > 0) {
                        const double len = std::hypot(qx, qy);
                        d = R - len;
                        ny = (py < H / 2 ? -qy : qy) / len;
                    }
                    else {
                        const double dl = std::min(px, W - px), dt = std::min(py, H - py);
                        d = std::min(dl, dt);
                        ny = dt <= dl ? (py < H / 2 ? -1 : 1) : 0;
                    }
                    if (d < 0 || d >= 6)
                        continue;
                    Rgb c;
                    if (d < 1)
                        c = OUTLINE;
                    else if (d < 2)
                        c = ny < 0 ? mixed(PLATE, {104, 122, 148}, -ny)
                                   : mixed(PLATE, {20, 25, 34}, ny * 0.8);
                    else
                        c = PLATE;
                    acc_r += c.r, acc_g += c.g, acc_b += c.b, acc_a += 1;
                }
            const double n = S * S;
            ZR_Pix_A32 &p = f.at(x, y);
            if (acc_a == 0) {
                p = {0, 0, 0, 0};
                continue;
            }
            p = {clamp_byte(acc_b / acc_a), clamp_byte(acc_g / acc_a), clamp_byte(acc_r / acc_a),
                 clamp_byte(255 * acc_a / n)};
        }
    return f;
}

// The word mark "vemo" in geometric strokes beside a low-pass response curve.
Frame logo()
{
    Canvas c(160, 30);
    cairo_t *cr = c.cr();
    const double x_height = 15, w = 3, base = 22;
    const double top = base - x_height + w / 2, bot = base - w / 2, mid = (top + bot) / 2;
    const double R = (bot - top) / 2;

    const double icon_w = 26, gap = 10, text_w = 13 + 4 + 15 + 4 + 22 + 4 + 15;
    const double x0 = std::floor((160 - (icon_w + gap + text_w)) / 2) + 0.5;

    auto letters = [&](double dx, double dy) {
        double x = x0 + icon_w + gap + dx;
        const double t = top + dy, b = bot + dy, m = mid + dy;
        cairo_new_path(cr);
        // v
        cairo_move_to(cr, x + 1.5, t);
        cairo_line_to(cr, x + 6.5, b);
        cairo_line_to(cr, x + 11.5, t);
        x += 13 + 4;
        // e
        const double ex = x + 7.5;
        cairo_new_sub_path(cr);
        cairo_arc_negative(cr, ex, m, R, 0, -(2 * PI - 0.8));
        cairo_move_to(cr, ex - R, m);
        cairo_line_to(cr, ex + R, m);
        x += 15 + 4;
        // m
        const double ar = 4.75, cy = t + ar;
        cairo_move_to(cr, x + 1.5, b);
        cairo_line_to(cr, x + 1.5, cy);
        cairo_arc(cr, x + 1.5 + ar, cy, ar, PI, 2 * PI);
        cairo_line_to(cr, x + 11, b);
        cairo_move_to(cr, x + 11, cy);
        cairo_arc(cr, x + 11 + ar, cy, ar, PI, 2 * PI);
        cairo_line_to(cr, x + 20.5, b);
        x += 22 + 4;
        // o
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + 7.5, m, R, 0, 2 * PI);
    };
    auto curve = [&](double dx, double dy) {
        cairo_new_path(cr);
        const double x = x0 + dx, t = top + 1 + dy, b = bot + dy;
        cairo_move_to(cr, x, t);
        cairo_line_to(cr, x + 9, t);
        cairo_curve_to(cr, x + 15, t, x + 17, b - 1, x + icon_w - 1, b);
    };
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    // Soft shadow under everything.
    for (int pass = 0; pass < 2; ++pass) {
        cairo_set_line_width(cr, w + 2.5 - pass * 1.5);
        set(cr, {0, 0, 0}, 0.22 + pass * 0.18);
        letters(0, 1.2);
        cairo_stroke(cr);
        curve(0, 1.2);
        cairo_stroke(cr);
    }
    // Letters: a cool silver gradient.
    cairo_pattern_t *ink = cairo_pattern_create_linear(0, top - 2, 0, bot + 2);
    cairo_pattern_add_color_stop_rgb(ink, 0, 0.95, 0.96, 0.99);
    cairo_pattern_add_color_stop_rgb(ink, 1, 0.66, 0.71, 0.80);
    cairo_set_source(cr, ink);
    cairo_set_line_width(cr, w);
    letters(0, 0);
    cairo_stroke(cr);
    cairo_pattern_destroy(ink);
    // The curve in the accent colour with a faint glow, and its corner dot.
    set(cr, ACCENT, 0.25);
    cairo_set_line_width(cr, 5);
    curve(0, 0);
    cairo_stroke(cr);
    set(cr, ACCENT);
    cairo_set_line_width(cr, 2.4);
    curve(0, 0);
    cairo_stroke(cr);
    return c.frame();
}

// A rotary knob of diameter size: still body, a lit arc over a groove and a
// pointer that turn through 270 degrees from the lower left.
std::vector<Frame> knob_strip(int size, int frames)
{
    const double s = size / 64.0;
    const double cx = size / 2.0, cy = size / 2.0;
    const double a0 = 0.75 * PI, travel = 1.5 * PI;
    const double track_r = 27.5 * s, track_w = std::max(2.2, 3.4 * s);
    const double cap_r = 20.5 * s;

    Canvas body(size, size);
    {
        cairo_t *cr = body.cr();
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        // Groove of the arc.
        set(cr, {6, 8, 12}, 0.85);
        cairo_set_line_width(cr, track_w + 1.6);
        cairo_arc(cr, cx, cy, track_r, a0, a0 + travel);
        cairo_stroke(cr);
        set(cr, {40, 48, 62});
        cairo_set_line_width(cr, track_w - 0.4);
        cairo_arc(cr, cx, cy, track_r, a0, a0 + travel);
        cairo_stroke(cr);
        // Shadow of the cap.
        cairo_pattern_t *shadow = cairo_pattern_create_radial(cx, cy + 1.5 * s, cap_r - 2 * s, cx,
                                                              cy + 1.5 * s, cap_r + 3.5 * s);
        cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.6);
        cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
        cairo_set_source(cr, shadow);
        cairo_arc(cr, cx, cy + 1.5 * s, cap_r + 3.5 * s, 0, 2 * PI);
        cairo_fill(cr);
        cairo_pattern_destroy(shadow);
        // Cap: dark outline, lit from above.
        set(cr, OUTLINE);
        cairo_arc(cr, cx, cy, cap_r + 0.6, 0, 2 * PI);
        cairo_fill(cr);
        cairo_pattern_t *face = cairo_pattern_create_linear(0, cy - cap_r, 0, cy + cap_r);
        cairo_pattern_add_color_stop_rgb(face, 0, 82 / 255.0, 93 / 255.0, 112 / 255.0);
        cairo_pattern_add_color_stop_rgb(face, 1, 36 / 255.0, 42 / 255.0, 54 / 255.0);
        cairo_set_source(cr, face);
        cairo_arc(cr, cx, cy, cap_r - 0.4, 0, 2 * PI);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        // Inner dish, turned the other way, for depth.
        const double dish_r = cap_r * 0.78;
        cairo_pattern_t *dish = cairo_pattern_create_linear(0, cy - dish_r, 0, cy + dish_r);
        cairo_pattern_add_color_stop_rgb(dish, 0, 44 / 255.0, 51 / 255.0, 65 / 255.0);
        cairo_pattern_add_color_stop_rgb(dish, 1, 66 / 255.0, 76 / 255.0, 93 / 255.0);
        cairo_set_source(cr, dish);
        cairo_arc(cr, cx, cy, dish_r, 0, 2 * PI);
        cairo_fill(cr);
        cairo_pattern_destroy(dish);
        // Rim light along the top of the cap.
        cairo_pattern_t *rim = cairo_pattern_create_linear(0, cy - cap_r, 0, cy);
        cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.30);
        cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0);
        cairo_set_source(cr, rim);
        cairo_set_line_width(cr, 1);
        cairo_arc(cr, cx, cy, cap_r - 1, PI, 2 * PI);
        cairo_stroke(cr);
        cairo_pattern_destroy(rim);
    }
    // The whole lit arc once; each frame shows the wedge up to its angle.
    Canvas lit(size, size);
    {
        cairo_t *cr = lit.cr();
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        set(cr, ACCENT, 0.22);
        cairo_set_line_width(cr, track_w + 3 * s + 1);
        cairo_arc(cr, cx, cy, track_r, a0 - 0.2, a0 + travel + 0.2);
        cairo_stroke(cr);
        set(cr, ACCENT);
        cairo_set_line_width(cr, track_w - 0.4);
        cairo_arc(cr, cx, cy, track_r, a0 - 0.2, a0 + travel + 0.2);
        cairo_stroke(cr);
    }

    std::vector<Frame> out;
    for (int i = 0; i < frames; ++i) {
        const double a = a0 + travel * i / (frames - 1);
        Canvas c(size, size);
        cairo_t *cr = c.cr();
        c.copy_from(body);
        if (i > 0) {
            cairo_set_source_surface(cr, lit.surface(), 0, 0);
            cairo_move_to(cr, cx, cy);
            cairo_arc(cr, cx, cy, size * 1.5, a0, a);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        // Pointer on the cap.
        const double r1 = cap_r * 0.36, r2 = cap_r * 0.74;
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        set(cr, {0, 0, 0}, 0.45);
        cairo_set_line_width(cr, std::max(2.0, 3.6 * s));
        cairo_move_to(cr, cx + r1 * std::cos(a), cy + r1 * std::sin(a) + 0.6);
        cairo_line_to(cr, cx + r2 * std::cos(a), cy + r2 * std::sin(a) + 0.6);
        cairo_stroke(cr);
        set(cr, INK);
        cairo_set_line_width(cr, std::max(1.4, 2.4 * s));
        cairo_move_to(cr, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
        cairo_line_to(cr, cx + r2 * std::cos(a), cy + r2 * std::sin(a));
        cairo_stroke(cr);
        out.push_back(c.frame());
    }
    return out;
}

// The 40 x 24 button body: raised, or pressed in.
void button_body(cairo_t *cr, bool pressed)
{
    set(cr, {0, 0, 0}, 0.35);
    rounded_rect(cr, 0.5, 1.5, 39, 22.5, 5);
    cairo_fill(cr);
    set(cr, OUTLINE);
    rounded_rect(cr, 0.5, 0.5, 39, 22.5, 5);
    cairo_fill(cr);
    cairo_pattern_t *face = cairo_pattern_create_linear(0, 1, 0, 23);
    const double k = pressed ? 0.86 : 1.0;
    cairo_pattern_add_color_stop_rgb(face, 0, k * 78 / 255.0, k * 89 / 255.0, k * 108 / 255.0);
    cairo_pattern_add_color_stop_rgb(face, 1, k * 44 / 255.0, k * 51 / 255.0, k * 65 / 255.0);
    cairo_set_source(cr, face);
    rounded_rect(cr, 1.5, 1.5, 37, 20.5, 4);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    cairo_set_source_rgba(cr, 1, 1, 1, pressed ? 0.08 : 0.18);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 5, 2.5);
    cairo_line_to(cr, 35, 2.5);
    cairo_stroke(cr);
}

// An indicator lamp at (x, y): dark glass, or lit with a halo.
void lamp(cairo_t *cr, double x, double y, bool on)
{
    if (on) {
        cairo_pattern_t *halo = cairo_pattern_create_radial(x, y, 1, x, y, 7);
        cairo_pattern_add_color_stop_rgba(halo, 0, ACCENT.r / 255.0, ACCENT.g / 255.0,
                                          ACCENT.b / 255.0, 0.55);
        cairo_pattern_add_color_stop_rgba(halo, 1, ACCENT.r / 255.0, ACCENT.g / 255.0,
                                          ACCENT.b / 255.0, 0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, 7, 0, 2 * PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    set(cr, OUTLINE);
    cairo_arc(cr, x, y, 3.6, 0, 2 * PI);
    cairo_fill(cr);
    set(cr, on ? ACCENT : Rgb{24, 30, 40});
    cairo_arc(cr, x, y, 2.7, 0, 2 * PI);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, on ? 0.7 : 0.18);
    cairo_arc(cr, x - 0.8, y - 0.9, 0.9, 0, 2 * PI);
    cairo_fill(cr);
}

// Two-state buttons: off, then on. The glyph is drawn by glyph(cr, on)
// around the button's right half.
std::vector<Frame> button_strip(const std::function<void(cairo_t *, bool)> &glyph)
{
    std::vector<Frame> out;
    for (int on = 0; on < 2; ++on) {
        Canvas c(40, 24);
        cairo_t *cr = c.cr();
        button_body(cr, on);
        lamp(cr, 10, 12, on);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, 1.6);
        if (on)
            set(cr, INK);
        else
            set(cr, {150, 160, 178});
        glyph(cr, on);
        out.push_back(c.frame());
    }
    return out;
}

void power_glyph(cairo_t *cr, bool)
{
    cairo_arc(cr, 27, 12.5, 5, -PI / 2 + 0.75, 1.5 * PI - 0.75);
    cairo_stroke(cr);
    cairo_move_to(cr, 27, 6.5);
    cairo_line_to(cr, 27, 12);
    cairo_stroke(cr);
}

// A tray with an arrow from y = from to its tip at y = to.
void tray_with_arrow(cairo_t *cr, double from, double to)
{
    cairo_move_to(cr, 21.5, 13);
    cairo_line_to(cr, 21.5, 17.5);
    cairo_line_to(cr, 32.5, 17.5);
    cairo_line_to(cr, 32.5, 13);
    cairo_stroke(cr);
    const double wing = from > to ? to + 3 : to - 3;
    cairo_move_to(cr, 27, from);
    cairo_line_to(cr, 27, to);
    cairo_move_to(cr, 24, wing);
    cairo_line_to(cr, 27, to);
    cairo_line_to(cr, 30, wing);
    cairo_stroke(cr);
}

void load_glyph(cairo_t *cr, bool)
{
    tray_with_arrow(cr, 14, 6); // leaving the tray
}

void save_glyph(cairo_t *cr, bool)
{
    tray_with_arrow(cr, 6, 14); // entering the tray
}

void peek_glyph(cairo_t *cr, bool on)
{
    // An eye; open wider when on.
    const double h = on ? 4.6 : 3.6;
    cairo_move_to(cr, 20.5, 12);
    cairo_curve_to(cr, 23, 12 - h, 31, 12 - h, 33.5, 12);
    cairo_curve_to(cr, 31, 12 + h, 23, 12 + h, 20.5, 12);
    cairo_close_path(cr);
    cairo_stroke(cr);
    cairo_arc(cr, 27, 12, 1.8, 0, 2 * PI);
    cairo_fill(cr);
}

// A horizontal tuning scale: a groove with a lit part and a handle.
std::vector<Frame> tune_strip(int frames)
{
    const double left = 10, right = 110, y = 12;
    Canvas body(120, 24);
    {
        cairo_t *cr = body.cr();
        set(cr, OUTLINE, 0.9);
        rounded_rect(cr, left - 3, y - 3, right - left + 6, 6, 3);
        cairo_fill(cr);
        set(cr, {40, 48, 62});
        rounded_rect(cr, left - 2, y - 2, right - left + 4, 4, 2);
        cairo_fill(cr);
        // Scale ticks above and below.
        cairo_set_line_width(cr, 1);
        for (int i = 0; i <= 10; ++i) {
            const double x = std::round(left + (right - left) * i / 10) + 0.5;
            set(cr, {120, 132, 152}, i % 5 == 0 ? 0.8 : 0.45);
            const double len = i % 5 == 0 ? 3.5 : 2;
            cairo_move_to(cr, x, 1);
            cairo_line_to(cr, x, 1 + len);
            cairo_move_to(cr, x, 23);
            cairo_line_to(cr, x, 23 - len);
            cairo_stroke(cr);
        }
    }
    std::vector<Frame> out;
    for (int i = 0; i < frames; ++i) {
        const double x = left + (right - left) * i / (frames - 1);
        Canvas c(120, 24);
        cairo_t *cr = c.cr();
        c.copy_from(body);
        set(cr, ACCENT);
        cairo_rectangle(cr, left - 1, y - 1, x - left + 1, 2);
        cairo_fill(cr);
        // Handle.
        set(cr, {0, 0, 0}, 0.4);
        rounded_rect(cr, x - 4, y - 7, 8, 15.5, 2);
        cairo_fill(cr);
        set(cr, OUTLINE);
        rounded_rect(cr, x - 4, y - 7.5, 8, 15, 2);
        cairo_fill(cr);
        cairo_pattern_t *face = cairo_pattern_create_linear(0, y - 7, 0, y + 7);
        cairo_pattern_add_color_stop_rgb(face, 0, 90 / 255.0, 102 / 255.0, 122 / 255.0);
        cairo_pattern_add_color_stop_rgb(face, 1, 46 / 255.0, 54 / 255.0, 68 / 255.0);
        cairo_set_source(cr, face);
        rounded_rect(cr, x - 3, y - 6.5, 6, 13, 1.5);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        set(cr, INK);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, x, y - 4);
        cairo_line_to(cr, x, y + 4);
        cairo_stroke(cr);
        out.push_back(c.frame());
    }
    return out;
}

// A recessed well (a display or meter slot) of the given size.
void well(cairo_t *cr, double w, double h, double r)
{
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    rounded_rect(cr, 0.5, 1.5, w - 1, h - 1.5, r);
    cairo_fill(cr);
    set(cr, OUTLINE);
    rounded_rect(cr, 0.5, 0.5, w - 1, h - 1.5, r);
    cairo_fill(cr);
    cairo_pattern_t *g = cairo_pattern_create_linear(0, 1, 0, h - 1);
    cairo_pattern_add_color_stop_rgb(g, 0, 12 / 255.0, 16 / 255.0, 23 / 255.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 20 / 255.0, 26 / 255.0, 35 / 255.0);
    cairo_set_source(cr, g);
    rounded_rect(cr, 1.5, 1.5, w - 3, h - 3.5, r - 1);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

Frame meter_slot()
{
    Canvas c(41, 89);
    cairo_t *cr = c.cr();
    well(cr, 41, 89, 4);
    // Two bar channels and a scale between them.
    for (int ch = 0; ch < 2; ++ch) {
        set(cr, {30, 38, 50});
        cairo_rectangle(cr, 7 + ch * 20, 6, 7, 76);
        cairo_fill(cr);
    }
    cairo_set_line_width(cr, 1);
    for (int i = 0; i <= 8; ++i) {
        const double y = 6.5 + i * 9.5;
        set(cr, {120, 132, 152}, i % 4 == 0 ? 0.8 : 0.45);
        cairo_move_to(cr, 17, std::round(y) + 0.5);
        cairo_line_to(cr, i % 4 == 0 ? 24 : 22, std::round(y) + 0.5);
        cairo_stroke(cr);
    }
    return c.frame();
}

Frame display_plate()
{
    Canvas c(91, 17);
    well(c.cr(), 91, 17, 3.5);
    return c.frame();
}

} // namespace

Artwork draw_artwork(const std::string &name)
{
    Artwork art;
    art.name = name;
    static const char *const RIM[3][3] = {
        {"ALT", "AMT", "ART"}, {"ALM", "", "ARM"}, {"ALB", "AMB", "ARB"}};
    static const char *const GROUP[3][3] = {
        {"GLT", "GMT", "GRT"}, {"GLM", "GMM", "GRM"}, {"GLB", "GMB", "GRB"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            if (name == RIM[row][col])
                art.frames.push_back(rim_piece(col, row));
            if (name == GROUP[row][col] && name != "GMM")
                art.frames.push_back(group_piece(col, row));
        }
    if (name == "BGND")
        art.frames.push_back(textured_tile(63, 63, PANEL_BASE, 1.6, 1.0, 7));
    else if (name == "GMM")
        art.frames.push_back(textured_tile(128, 128, PLATE, 0.9, 0.0, 11));
    else if (name == "ORVANE")
        art.frames.push_back(logo());
    else if (name == "I41X89")
        art.frames.push_back(meter_slot());
    else if (name == "I91X17")
        art.frames.push_back(display_plate());
    else if (name == "BIG" || name == "KNOB" || name == "TUNE" || name == "BUT" || name == "LOAD" ||
             name == "PEEK" || name == "SAVE") {
        art.strip = true;
        if (name == "BIG")
            art.frames = knob_strip(64, 265);
        else if (name == "KNOB")
            art.frames = knob_strip(32, 100);
        else if (name == "TUNE")
            art.frames = tune_strip(100);
        else if (name == "BUT")
            art.frames = button_strip(power_glyph);
        else if (name == "LOAD")
            art.frames = button_strip(load_glyph);
        else if (name == "PEEK")
            art.frames = button_strip(peek_glyph);
        else
            art.frames = button_strip(save_glyph);
    }
    return art;
}

std::vector<Artwork> draw_all_artwork()
{
    static const char *const NAMES[] = {
        "BGND", "ORVANE", "ALT",  "AMT",  "ART",  "ALM",  "ARM",    "ALB",   "AMB", "ARB",
        "GLT",  "GMT",    "GRT",  "GLM",  "GMM",  "GRM",  "GLB",    "GMB",   "GRB", "BUT",
        "BIG",  "KNOB",   "TUNE", "LOAD", "PEEK", "SAVE", "I41X89", "I91X17"};
    std::vector<Artwork> all;
    for (const char *name : NAMES)
        all.push_back(draw_artwork(name));
    return all;
}
