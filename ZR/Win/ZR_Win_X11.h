// The X11 window: a child of a parent window given from outside, on a display
// connection of its own that only the window's event thread touches.
#pragma once
#include "ZR/Win/ZR_Win.h"

#include <atomic>
#include <cstdint>
#include <thread>

struct _XDisplay;

class ZR_Win_X11 : public ZR_Win {
public:
    ZR_Win_X11(int width, int height);
    // Detaches (hwnd(0)) and closes the connection.
    ~ZR_Win_X11() override;

    // Attaches to a parent X11 window, moves to another, or detaches (0).
    // Call it on the thread that owns the widgets, never on the event thread.
    unsigned long hwnd(unsigned long parent);
    // On the event thread: paints now. Elsewhere: merges rect into the
    // pending area and wakes the event thread; neither blocks nor allocates.
    void redraw(const ZR_Rect &rect) override;

    // Resizes another client's window (the host's) while detached; false
    // when attached or without a connection.
    bool resize_window(unsigned long id, int w, int h);
    bool connected() const { return m_display != nullptr; }

    unsigned long parent() const { return m_parent; }
    unsigned long window_id() const { return m_window; }
    // Paints done by the event thread (tests wait on it).
    std::atomic<uint32_t> paints{0};

protected:
    void present(const ZR_Rect &clip, int sx, int sy) override;

private:
    void run();
    void wake();
    void stop_thread();
    void handle_event(void *event);
    void paint_pending();

    _XDisplay *m_display = nullptr;
    unsigned long m_parent = 0;
    unsigned long m_window = 0;
    void *m_gc = nullptr;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<std::thread::id> m_thread_id{};
    std::atomic<bool> m_stop{false};
    // Pending area packed as four 16-bit fields (left, top, right, bottom);
    // EMPTY when nothing waits.
    static constexpr uint64_t EMPTY = 0x00000000FFFFFFFFull;
    std::atomic<uint64_t> m_pending{EMPTY};
};
