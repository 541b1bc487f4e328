// A framework window: fixed size, 64 x 64 tiles listing the widgets that
// overlap them, tile-by-tile painting, hit testing, hover and capture.
#pragma once
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/core/ZR_chain.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

class ZR_Wid;

// One tile membership of a widget: the item (owner = widget) and its list.
struct ZR_Win_link {
    ZR_Chain_Item item;
    ZR_Chain *tile = nullptr;
};

class ZR_Win {
public:
    static constexpr int TILE = 64;

    ZR_Win(int width, int height);
    ZR_Win(const ZR_Win &) = delete;
    ZR_Win &operator=(const ZR_Win &) = delete;
    // Unlinks every widget from every tile; widgets are not destroyed.
    virtual ~ZR_Win();

    // Repaints rect now (window coordinates). The base does nothing.
    virtual void redraw(const ZR_Rect &rect);

    // Places w into window's tiles (or takes it out when window is null).
    static void attach(ZR_Wid *w, ZR_Win *window);
    // The widget that takes the pointer at (x, y), topmost first, or null.
    ZR_Wid *widget_at(int x, int y) const;
    // Composes rect tile by tile, bottom row first, and presents each tile.
    // Skips the paint when the paint lock is not had within 1000 ms.
    void paint(const ZR_Rect &rect);

    // Pointer input in window coordinates, as the platform delivers it.
    void on_mouse_move(int x, int y);
    void on_button_down(int x, int y);
    void on_button_up();
    void on_leave(); // the pointer left the window: a release
    // Wheel steps (positive away from the user) over the point (x, y).
    void on_wheel(int x, int y, int steps);

    const int32_t width;
    const int32_t height;
    const int32_t columns;
    const int32_t rows;
    ZR_Chain widgets;
    // Written on the window's thread; hovered is read by paints on any
    // thread, both may be watched from others.
    std::atomic<ZR_Wid *> captured{nullptr};
    std::atomic<ZR_Wid *> hovered{nullptr};
    ZR_Chain *tiles; // columns x rows, row-major
    ZR_Pic<ZR_Pix_A32> tile_buffer;
    ZR_Pic<ZR_Pix_A32> scratch;

protected:
    // Platform seam. present copies the clip (window coordinates) from the
    // tile buffer, whose pixel (sx, sy) lies at the clip's top-left corner.
    virtual void present(const ZR_Rect &clip, int sx, int sy) = 0;
    // Called once, at the first pointer move: ask for leave notifications.
    virtual void track_leave() {}
    // Pointer capture while the button is down.
    virtual void capture_pointer(bool on) { (void)on; }

    static constexpr std::chrono::milliseconds PAINT_WAIT{1000};
    // The paint lock: taken for one whole paint, waited for at most
    // PAINT_WAIT (false: the paint is skipped). A platform may use its own.
    virtual bool lock_paint();
    virtual void unlock_paint();

private:
    std::timed_mutex m_paint_lock;
    bool m_leave_tracked = false;
    void unlink_all(ZR_Wid *w);
};

// Tints one pixel for a hovered (f = 1.5) or disabled (f = 0.4) widget.
ZR_Pix_A32 zr_win_tint(ZR_Pix_A32 p, double f);
