// ZR_Win: tiles, attaching, hit testing, tile-by-tile painting with the tint
// pass, and the pointer rules shared by every platform.
#include "ZR/Win/ZR_Win.h"
#include "ZR/Wid/ZR_Wid.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace {

int clamp_int(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

ZR_Rect intersect(const ZR_Rect &a, const ZR_Rect &b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool empty(const ZR_Rect &r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

} // namespace

ZR_Win::ZR_Win(int w, int h)
    : width(w), height(h), columns(w > 0 ? (w - 1) / TILE + 1 : 0),
      rows(h > 0 ? (h - 1) / TILE + 1 : 0), tiles(new ZR_Chain[(size_t)columns * rows])
{
    tile_buffer.resize(TILE, TILE);
    scratch.resize(TILE, TILE);
}

ZR_Win::~ZR_Win()
{
    for (int i = 0; i < columns * rows; ++i)
        while (tiles[i].count > 0)
            unlink_all(static_cast<ZR_Wid *>(tiles[i].first()->owner));
    delete[] tiles;
}

void ZR_Win::redraw(const ZR_Rect &) {}

// Takes every link of w out of its tile and frees the link array.
void ZR_Win::unlink_all(ZR_Wid *w)
{
    for (int i = 0; i < w->link_count; ++i)
        w->links[i].tile->remove(&w->links[i].item);
    delete[] w->links;
    w->links = nullptr;
    w->link_count = 0;
}

void ZR_Win::attach(ZR_Wid *w, ZR_Win *window)
{
    if (w->window) {
        ZR_Win *old = w->window;
        w->window = nullptr;
        old->widgets.remove(&w->item);
        if (old->hovered.load(std::memory_order_relaxed) == w)
            old->hovered.store(nullptr, std::memory_order_relaxed);
        if (old->captured.load(std::memory_order_relaxed) == w)
            old->captured.store(nullptr, std::memory_order_relaxed);
        old->unlink_all(w);
    }
    if (!window)
        return;
    window->widgets.insert(&w->item);
    // The range is clipped to the grid: a widget reaching outside the window
    // links only the tiles that exist.
    int c0 = std::max(0, w->left / TILE);
    int r0 = std::max(0, w->top / TILE);
    int c1 = std::min(window->columns - 1, (w->left + w->width - 1) / TILE);
    int r1 = std::min(window->rows - 1, (w->top + w->height - 1) / TILE);
    if (w->width > 0 && w->height > 0 && c0 <= c1 && r0 <= r1) {
        int n = (c1 - c0 + 1) * (r1 - r0 + 1);
        w->links = new ZR_Win_link[n];
        w->link_count = n;
        int k = 0;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c, ++k) {
                ZR_Win_link &link = w->links[k];
                link.item.owner = w;
                link.tile = &window->tiles[c + r * window->columns];
                link.tile->insert(&link.item);
            }
    }
    w->window = window;
}

ZR_Wid *ZR_Win::widget_at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return nullptr;
    const ZR_Chain &tile = tiles[x / TILE + (y / TILE) * columns];
    for (ZR_Chain_Item *i = tile.tail.prev; i != &tile.head; i = i->prev) {
        ZR_Wid *w = static_cast<ZR_Wid *>(i->owner);
        if (w->visible && x >= w->left && x < w->left + w->width && y >= w->top &&
            y < w->top + w->height && w->hit(x - w->left, y - w->top))
            return w;
    }
    return nullptr;
}

ZR_Pix_A32 zr_win_tint(ZR_Pix_A32 p, double f)
{
    double a = p.alpha * f;
    if (a > 255.0) {
        auto scale = [f](uint8_t c) {
            double v = c * f;
            return (uint8_t)(v > 255.0 ? 255 : (int)v);
        };
        p.red = scale(p.red);
        p.green = scale(p.green);
        p.blue = scale(p.blue);
    }
    else {
        p.alpha = (uint8_t)(int)a;
    }
    return p;
}

// Waits at most PAINT_WAIT for the paint lock. Polled with try_lock: the
// timed wait compiles to pthread_mutex_clocklock, which the thread sanitizer
// does not intercept (it then reports the unlock as wrong).
bool ZR_Win::lock_paint()
{
    if (m_paint_lock.try_lock())
        return true;
    const auto deadline = std::chrono::steady_clock::now() + PAINT_WAIT;
    auto pause = std::chrono::microseconds(50);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pause);
        if (m_paint_lock.try_lock())
            return true;
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(2));
    }
    return false;
}

void ZR_Win::unlock_paint()
{
    m_paint_lock.unlock();
}

void ZR_Win::paint(const ZR_Rect &rect)
{
    if (!lock_paint())
        return;
    struct Unlock {
        ZR_Win *window;
        ~Unlock() { window->unlock_paint(); }
    } unlock{this};
    if (!tile_buffer.pixels || !scratch.pixels || rect.left >= rect.right ||
        rect.top >= rect.bottom)
        return;
    int r0 = std::max(0, rect.top / TILE);
    int r1 = std::min(rows - 1, (rect.bottom - 1) / TILE);
    int c0 = std::max(0, rect.left / TILE);
    int c1 = std::min(columns - 1, (rect.right - 1) / TILE);
    ZR_Wid *const hover = hovered.load(std::memory_order_relaxed);
    for (int r = r1; r >= r0; --r) {
        for (int c = c0; c <= c1; ++c) {
            const ZR_Rect tile_rect = {c * TILE, r * TILE, c * TILE + TILE, r * TILE + TILE};
            const ZR_Rect clip = intersect(tile_rect, rect);
            if (empty(clip))
                continue;
            const ZR_Chain &tile = tiles[c + r * columns];
            for (ZR_Chain_Item *i = tile.head.next; i != &tile.tail; i = i->next) {
                ZR_Wid *w = static_cast<ZR_Wid *>(i->owner);
                ZR_Rect part = intersect(w->rect(), clip);
                if (empty(part))
                    continue;
                const ZR_Rect src = {part.left - w->left, part.top - w->top, part.right - w->left,
                                     part.bottom - w->top};
                const int dx = part.left - tile_rect.left, dy = part.top - tile_rect.top;
                const int pw = part.right - part.left, ph = part.bottom - part.top;
                if (w->enabled && w != hover) {
                    if (w->visible)
                        w->draw(tile_buffer, dx, dy, src);
                    continue;
                }
                for (int y = dy; y < dy + ph; ++y)
                    std::memset(scratch.row(y) + dx, 0, (size_t)pw * sizeof(ZR_Pix_A32));
                if (w->visible)
                    w->draw(scratch, dx, dy, src);
                const double f = w->enabled ? 1.5 : 0.4;
                for (int y = dy; y < dy + ph; ++y) {
                    ZR_Pix_A32 *p = scratch.row(y) + dx;
                    for (int x = 0; x < pw; ++x)
                        p[x] = zr_win_tint(p[x], f);
                }
                ZR_Pic_Base<ZR_Pix_A32>::blend(scratch, tile_buffer, dx, dy,
                                               {dx, dy, dx + pw, dy + ph});
            }
            present(clip, clip.left - tile_rect.left, clip.top - tile_rect.top);
        }
    }
}

void ZR_Win::on_mouse_move(int x, int y)
{
    if (!m_leave_tracked) {
        m_leave_tracked = true;
        track_leave();
    }
    if (ZR_Wid *c = captured.load(std::memory_order_relaxed)) {
        // Unclamped: a drag may leave the window on any side.
        c->drag(x - c->left, y - c->top);
        return;
    }
    ZR_Wid *r = widget_at(clamp_int(x, 0, width - 1), clamp_int(y, 0, height - 1));
    ZR_Wid *old = hovered.load(std::memory_order_relaxed);
    if (r == old)
        return;
    if (r && !r->hoverable())
        r = nullptr;
    hovered.store(r, std::memory_order_relaxed);
    if (old)
        redraw(old->rect());
    if (r)
        redraw(r->rect());
}

void ZR_Win::on_button_down(int x, int y)
{
    capture_pointer(true);
    ZR_Wid *h = hovered.load(std::memory_order_relaxed);
    if (h && h->enabled) {
        captured.store(h, std::memory_order_relaxed);
        h->press(x - h->left, y - h->top);
    }
}

void ZR_Win::on_button_up()
{
    capture_pointer(false);
    ZR_Wid *w = captured.exchange(nullptr, std::memory_order_relaxed);
    if (w)
        w->release();
}

void ZR_Win::on_leave()
{
    on_button_up();
}

void ZR_Win::on_wheel(int x, int y, int steps)
{
    if (captured.load(std::memory_order_relaxed))
        return; // a drag owns the knob until release
    ZR_Wid *w = widget_at(clamp_int(x, 0, width - 1), clamp_int(y, 0, height - 1));
    if (w && w->enabled && w->hoverable())
        w->wheel(steps);
}
