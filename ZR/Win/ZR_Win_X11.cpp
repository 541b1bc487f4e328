// ZR_Win_X11: child window, event thread sleeping on the connection and a
// wake-up pipe, tiles copied with XPutImage straight from the tile buffer.
#include "ZR/Win/ZR_Win_X11.h"
#include "ZR/Pic/ZR_Pic_X11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// Xlib's error handler is one per process and its default exits. Errors on
// our connections (a host that destroyed its window before closing the
// editor leaves ours dead) are dropped; others go to the handler we found.
std::mutex handler_lock;
std::vector<Display *> own_displays;
XErrorHandler previous_handler = nullptr;

int on_x_error(Display *display, XErrorEvent *event)
{
    XErrorHandler next;
    {
        std::lock_guard<std::mutex> lock(handler_lock);
        if (std::find(own_displays.begin(), own_displays.end(), display) != own_displays.end())
            return 0;
        next = previous_handler;
    }
    return next ? next(display, event) : 0;
}

void own_display(Display *display)
{
    std::lock_guard<std::mutex> lock(handler_lock);
    if (own_displays.empty())
        previous_handler = XSetErrorHandler(on_x_error);
    own_displays.push_back(display);
}

// After the last connection the handler found is put back, unless someone
// replaced ours meanwhile: our code may be unloaded.
void release_display(Display *display)
{
    std::lock_guard<std::mutex> lock(handler_lock);
    // One entry: a new connection may already have been given the address.
    const auto at = std::find(own_displays.begin(), own_displays.end(), display);
    if (at != own_displays.end())
        own_displays.erase(at);
    if (!own_displays.empty())
        return;
    XErrorHandler current = XSetErrorHandler(previous_handler);
    if (current != on_x_error)
        XSetErrorHandler(current);
    previous_handler = nullptr;
}

uint64_t pack(int l, int t, int r, int b)
{
    auto c = [](int v) { return (uint64_t)std::clamp(v, 0, 0xFFFF); };
    return c(l) | c(t) << 16 | c(r) << 32 | c(b) << 48;
}

ZR_Rect unpack(uint64_t p)
{
    return {(int)(p & 0xFFFF), (int)(p >> 16 & 0xFFFF), (int)(p >> 32 & 0xFFFF),
            (int)(p >> 48 & 0xFFFF)};
}

} // namespace

ZR_Win_X11::ZR_Win_X11(int w, int h) : ZR_Win(w, h)
{
    m_display = XOpenDisplay(nullptr);
    if (m_display)
        own_display(m_display);
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0)
        m_wake[0] = m_wake[1] = -1;
}

ZR_Win_X11::~ZR_Win_X11()
{
    hwnd(0);
    if (m_display) {
        XCloseDisplay(m_display);
        release_display(m_display);
    }
    for (int fd : m_wake)
        if (fd >= 0)
            close(fd);
}

void ZR_Win_X11::stop_thread()
{
    if (!m_thread.joinable())
        return;
    m_stop.store(true);
    wake();
    m_thread.join();
    m_thread_id.store(std::thread::id());
    m_stop.store(false);
}

unsigned long ZR_Win_X11::hwnd(unsigned long parent)
{
    if (parent == m_parent)
        return m_parent;
    // With the event thread stopped, this thread is the only one on the
    // connection.
    stop_thread();
    if (m_window && m_display) {
        XFreeGC(m_display, (GC)m_gc);
        XDestroyWindow(m_display, m_window);
        XSync(m_display, False);
        m_window = 0;
        m_gc = nullptr;
    }
    m_parent = parent;
    if (!parent || !m_display)
        return m_parent;
    XSetWindowAttributes attributes = {};
    attributes.event_mask =
        ExposureMask | PointerMotionMask | ButtonPressMask | ButtonReleaseMask | LeaveWindowMask;
    // No background: the window is never erased, tiles cover it.
    attributes.background_pixmap = None;
    m_window =
        XCreateWindow(m_display, parent, 0, 0, (unsigned)width, (unsigned)height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    m_gc = XCreateGC(m_display, m_window, 0, nullptr);
    XMapWindow(m_display, m_window);
    // The window exists on the server when hwnd returns: the host (on its own
    // connection) may look at its children at once.
    XSync(m_display, False);
    m_thread = std::thread([this] { run(); });
    return m_parent;
}

bool ZR_Win_X11::resize_window(unsigned long id, int w, int h)
{
    if (!m_display || m_thread.joinable() || !id || w <= 0 || h <= 0)
        return false;
    XResizeWindow(m_display, id, (unsigned)w, (unsigned)h);
    XSync(m_display, False);
    return true;
}

void ZR_Win_X11::wake()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up.
        [[maybe_unused]] ssize_t n = write(m_wake[1], &byte, 1);
    }
}

void ZR_Win_X11::redraw(const ZR_Rect &rect)
{
    if (std::this_thread::get_id() == m_thread_id.load(std::memory_order_relaxed)) {
        paint(rect);
        XFlush(m_display);
        paints.fetch_add(1);
        return;
    }
    if (!m_window)
        return;
    uint64_t old = m_pending.load(std::memory_order_relaxed), merged;
    do {
        if (old == EMPTY)
            merged = pack(rect.left, rect.top, rect.right, rect.bottom);
        else {
            const ZR_Rect o = unpack(old);
            merged = pack(std::min(o.left, rect.left), std::min(o.top, rect.top),
                          std::max(o.right, rect.right), std::max(o.bottom, rect.bottom));
        }
    } while (!m_pending.compare_exchange_weak(old, merged, std::memory_order_relaxed));
    wake();
}

void ZR_Win_X11::paint_pending()
{
    const uint64_t p = m_pending.exchange(EMPTY, std::memory_order_relaxed);
    if (p == EMPTY)
        return;
    paint(unpack(p));
    XFlush(m_display);
    paints.fetch_add(1);
}

void ZR_Win_X11::present(const ZR_Rect &clip, int sx, int sy)
{
    _XImage *image = zr_pic_surface_ximage(tile_buffer.surface(), m_display);
    if (!image || !m_window)
        return;
    XPutImage(m_display, m_window, (GC)m_gc, image, sx, sy, clip.left, clip.top,
              (unsigned)(clip.right - clip.left), (unsigned)(clip.bottom - clip.top));
}

void ZR_Win_X11::handle_event(void *e)
{
    XEvent &event = *static_cast<XEvent *>(e);
    switch (event.type) {
    case Expose: {
        const XExposeEvent &x = event.xexpose;
        paint({x.x, x.y, x.x + x.width, x.y + x.height});
        paints.fetch_add(1);
        break;
    }
    case MotionNotify:
        on_mouse_move(event.xmotion.x, event.xmotion.y);
        break;
    case ButtonPress:
        if (event.xbutton.button == Button1)
            on_button_down(event.xbutton.x, event.xbutton.y);
        else if (event.xbutton.button == Button4 || event.xbutton.button == Button5)
            on_wheel(event.xbutton.x, event.xbutton.y, event.xbutton.button == Button4 ? 1 : -1);
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
            on_button_up();
        break;
    case LeaveNotify:
        // Grab and ungrab crossings are not the pointer leaving.
        if (event.xcrossing.mode == NotifyNormal)
            on_leave();
        break;
    default:
        break;
    }
}

void ZR_Win_X11::run()
{
    m_thread_id.store(std::this_thread::get_id());
    const int x_fd = ConnectionNumber(m_display);
    while (!m_stop.load()) {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            handle_event(&event);
        }
        paint_pending();
        XFlush(m_display);
        pollfd fds[2] = {{x_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(fds, m_wake[0] >= 0 ? 2 : 1, 1000) > 0 && (fds[1].revents & POLLIN)) {
            char drain[64];
            while (read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
    }
}
