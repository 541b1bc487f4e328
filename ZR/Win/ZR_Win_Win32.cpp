// ZR_Win_Win32: a child window of a parent given from outside; its procedure
// turns mouse messages into the window's pointer calls, and paints copy each
// composed tile with BitBlt.
#include "ZR/Win/ZR_Win_Win32.h"
#include "ZR/Pic/ZR_Pic_Win32.h"

#include <windowsx.h>

#include <cstdio>
#include <mutex>

namespace {

// The device context the current paint of this thread copies into: a
// WM_PAINT and a redraw from another thread may wait on the lock together.
thread_local HDC target_dc = nullptr;

char class_name_text[32];
std::once_flag class_once;

HINSTANCE module_instance()
{
    // The module holding this code (the plug-in's DLL, or the executable).
    HMODULE m = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&module_instance), &m);
    return m;
}

void register_class()
{
    std::call_once(class_once, [] {
        HINSTANCE instance = module_instance();
        std::snprintf(class_name_text, sizeof class_name_text, "ZRFRAMEx%8.8X",
                      (unsigned)(uintptr_t)instance);
        WNDCLASSEXA c = {};
        c.cbSize = sizeof c;
        c.style = 0;
        c.lpfnWndProc = ZR_Win_Win32::window_proc;
        c.hInstance = instance;
        c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        c.lpszClassName = class_name_text;
        RegisterClassExA(&c);
    });
}

} // namespace

ZR_Win_Win32::ZR_Win_Win32(int w, int h)
    : ZR_Win(w, h), m_paint_mutex(CreateMutexA(nullptr, FALSE, nullptr))
{
}

ZR_Win_Win32::~ZR_Win_Win32()
{
    hwnd(nullptr);
    if (m_paint_mutex)
        CloseHandle(m_paint_mutex);
}

bool ZR_Win_Win32::lock_paint()
{
    if (!m_paint_mutex)
        return false;
    // An abandoned mutex (its painter thread ended inside a paint) is ours.
    const DWORD r = WaitForSingleObject(m_paint_mutex, (DWORD)PAINT_WAIT.count());
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void ZR_Win_Win32::unlock_paint()
{
    ReleaseMutex(m_paint_mutex);
}

const char *ZR_Win_Win32::class_name()
{
    register_class();
    return class_name_text;
}

HWND ZR_Win_Win32::hwnd(HWND parent)
{
    register_class();
    if (parent == m_parent)
        return m_parent;
    if (m_parent) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
        m_window = nullptr;
        zr_pic_surface_release_dc(tile_buffer.surface());
    }
    m_parent = parent;
    if (!parent)
        return nullptr;
    m_window = CreateWindowExA(0, class_name_text, "Window",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                               width, height, parent, nullptr, module_instance(), nullptr);
    if (!m_window)
        return m_parent;
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HDC dc = GetDC(m_window);
    zr_pic_surface_dc(tile_buffer.surface(), dc);
    ReleaseDC(m_window, dc);
    // The first WM_PAINT may have come before the user data was set.
    InvalidateRect(m_window, nullptr, FALSE);
    return m_parent;
}

void ZR_Win_Win32::paint(HDC dc, const ZR_Rect &rect)
{
    HDC previous = target_dc;
    target_dc = dc;
    ZR_Win::paint(rect);
    target_dc = previous;
    paints.fetch_add(1, std::memory_order_relaxed);
}

void ZR_Win_Win32::redraw(const ZR_Rect &rect)
{
    if (!m_window)
        return;
    HDC dc = GetDC(m_window);
    if (!dc)
        return;
    paint(dc, rect);
    ReleaseDC(m_window, dc);
}

void ZR_Win_Win32::present(const ZR_Rect &clip, int sx, int sy)
{
    HDC source = zr_pic_surface_current_dc(tile_buffer.surface());
    if (!target_dc || !source)
        return;
    GdiFlush();
    BitBlt(target_dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, source,
           sx, sy, SRCCOPY);
}

void ZR_Win_Win32::track_leave()
{
    TRACKMOUSEEVENT t = {};
    t.cbSize = sizeof t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = m_window;
    t.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&t);
    m_leave_armed = true;
    leave_requests.fetch_add(1, std::memory_order_relaxed);
}

void ZR_Win_Win32::capture_pointer(bool on)
{
    if (on)
        SetCapture(m_window);
    else if (GetCapture() == m_window)
        ReleaseCapture();
}

LRESULT ZR_Win_Win32::handle(UINT message, WPARAM wp, LPARAM lp)
{
    // Positions are signed 16-bit words: a drag may leave on any side.
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        paint(dc, {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
        EndPaint(m_window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_MOUSEMOVE:
        // The base asks once; later leaves need a new request each.
        if (leave_requests.load(std::memory_order_relaxed) && !m_leave_armed)
            track_leave();
        on_mouse_move(x, y);
        return 0;
    case WM_LBUTTONDOWN:
        on_button_down(x, y);
        return 0;
    case WM_LBUTTONUP:
        on_button_up();
        return 0;
    case WM_MOUSELEAVE:
        m_leave_armed = false;
        on_leave();
        return 0;
    default:
        return DefWindowProcA(m_window, message, wp, lp);
    }
}

LRESULT CALLBACK ZR_Win_Win32::window_proc(HWND window, UINT message, WPARAM wp, LPARAM lp)
{
    auto *self = reinterpret_cast<ZR_Win_Win32 *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || self->m_window != window)
        return DefWindowProcA(window, message, wp, lp);
    return self->handle(message, wp, lp);
}
