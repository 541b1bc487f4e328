// The Win32 window: a child of a parent window given from outside, painted
// tile by tile with BitBlt from the tile buffer's memory device context.
#pragma once
#include "ZR/Win/ZR_Win.h"

#include <windows.h>

#include <atomic>

class ZR_Win_Win32 : public ZR_Win {
public:
    ZR_Win_Win32(int width, int height);
    // Detaches (hwnd(0)) first.
    ~ZR_Win_Win32() override;

    // Attaches to a parent window, moves to another, or detaches (null).
    // Call it on the thread that owns the parent.
    HWND hwnd(HWND parent);
    // Paints rect into the window at once, from the calling thread.
    void redraw(const ZR_Rect &rect) override;
    // Composes rect and copies each tile into dc.
    void paint(HDC dc, const ZR_Rect &rect);

    HWND parent() const { return m_parent; }
    HWND window() const { return m_window; }
    // The registered class name ("ZRFRAMEx" and the module handle's digits).
    static const char *class_name();
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wp, LPARAM lp);

    // Paints done (tests wait on it).
    std::atomic<uint32_t> paints{0};
    // Leave notifications requested (tests read it).
    std::atomic<uint32_t> leave_requests{0};

protected:
    void present(const ZR_Rect &clip, int sx, int sy) override;
    void track_leave() override;
    void capture_pointer(bool on) override;
    // An unnamed mutex, waited for PAINT_WAIT.
    bool lock_paint() override;
    void unlock_paint() override;

private:
    LRESULT handle(UINT message, WPARAM wp, LPARAM lp);
    HWND m_parent = nullptr;
    HWND m_window = nullptr;
    HANDLE m_paint_mutex;
    // TrackMouseEvent's request ends with the leave it reports: armed again
    // at the next move after a leave.
    bool m_leave_armed = false;
};
