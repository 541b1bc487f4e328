// ZR_Win_Win32 under Wine and Xvfb: its class and child window, what it shows
// against the headless window's paint of the same widgets, and the window
// procedure's pointer rules driven by posted mouse messages.
#include "support/host_window_Win32.h"

#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/Win/ZR_Win_Win32.h"
#include "ZR/core/ZR_spcpp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr int W = 200, H = 150;

// A background and a knob, made by the same commands for each window.
struct Panel {
    ZR_Wid *background = nullptr;
    ZR_Wid_Knob *knob = nullptr;
    explicit Panel(ZR_Win *window)
    {
        spcpp("ZR_Wid_Pic -w %i -h %i -l 0 -t 0 -res bgnd", &background, W, H);
        spcpp("ZR_Wid_Knob -w 64 -h 64 -l 60 -t 40 -res big -mn 0 -mx 264", &knob);
        spcpp("ZR_Wid %o -win %o", background, window);
        spcpp("ZR_Wid %o -win %o", knob, window);
    }
    ~Panel()
    {
        spcpp("%o -delete", knob);
        spcpp("%o -delete", background);
    }
};

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = make_host_window(40, 50, W, H);
        ASSERT_NE(host, nullptr) << "no window: is DISPLAY an X server?";
    }
    void TearDown() override
    {
        if (host)
            DestroyWindow(host);
        pump_messages();
    }
    // Pixels of the window that differ from the headless window's paint of
    // the same panel (knob at frame, hovered or not) by more than a
    // translucent pixel lets through of the reused tile buffer's contents.
    int differences(HWND window, int frame, bool hover)
    {
        const std::vector<uint32_t> shown = grab_window(window, W, H);
        ZR_Win_Headless reference(W, H);
        Panel p(&reference);
        p.knob->frame.store(frame);
        reference.hovered.store(hover ? p.knob : nullptr);
        reference.paint({0, 0, W, H});
        int bad = 0;
        for (int i = 0; i < W * H; ++i) {
            const ZR_Pix_A32 r = reference.screen.pixels[i];
            const int slack = 256 - r.alpha;
            const uint32_t s = shown[(size_t)i];
            bad += std::abs((int)(s >> 16 & 0xFF) - r.red) >= slack ||
                   std::abs((int)(s >> 8 & 0xFF) - r.green) >= slack ||
                   std::abs((int)(s & 0xFF) - r.blue) >= slack;
        }
        spcpp("ZR_Wid %o -win 0", p.knob);
        spcpp("ZR_Wid %o -win 0", p.background);
        return bad;
    }
    HWND host = nullptr;
};

TEST_F(Win32Window, ClassAndChildWindowAsRegistered)
{
    ZR_Win_Win32 win(W, H);
    EXPECT_EQ(win.hwnd(host), host);
    HWND child = win.window();
    ASSERT_NE(child, nullptr);

    char expected[32];
    std::snprintf(expected, sizeof expected, "ZRFRAMEx%8.8X",
                  (unsigned)(uintptr_t)GetModuleHandleA(nullptr));
    EXPECT_STREQ(ZR_Win_Win32::class_name(), expected);
    WNDCLASSEXA c = {};
    c.cbSize = sizeof c;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), expected, &c));
    EXPECT_EQ(c.style, 0u);
    EXPECT_EQ(c.lpfnWndProc, &ZR_Win_Win32::window_proc);
    EXPECT_EQ(c.cbClsExtra, 0);
    EXPECT_EQ(c.cbWndExtra, 0);
    EXPECT_EQ(c.hIcon, nullptr);
    EXPECT_EQ(c.hCursor, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(c.hbrBackground, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(c.lpszMenuName, nullptr);

    EXPECT_EQ(GetParent(child), host);
    EXPECT_EQ((DWORD)GetWindowLongPtrA(child, GWL_STYLE) & 0xFFFF0000u, 0x56000000u);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&win));
    char title[16] = {};
    GetWindowTextA(child, title, sizeof title);
    EXPECT_STREQ(title, "Window");
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, W);
    EXPECT_EQ(r.bottom, H);

    // Moving to no parent destroys the child; the class stays registered.
    EXPECT_EQ(win.hwnd(nullptr), nullptr);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(win.window(), nullptr);
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), expected, &c));
}

TEST_F(Win32Window, PostedMouseHoverCaptureDragAndLeave)
{
    ZR_Win_Win32 win(W, H);
    win.hwnd(host);
    Panel p(&win);
    win.redraw({0, 0, W, H});
    pump_messages();
    EXPECT_EQ(differences(win.window(), 0, false), 0);

    // The real pointer sits over the knob, so the leave request holds.
    POINT at = {92, 72};
    ClientToScreen(win.window(), &at);
    SetCursorPos(at.x, at.y);
    auto post = [&](UINT message, int x, int y) {
        PostMessageA(win.window(), message, 0, MAKELPARAM(x, y));
        pump_messages();
    };
    post(WM_MOUSEMOVE, 92, 72);
    EXPECT_EQ(win.hovered.load(), p.knob);
    EXPECT_EQ(win.leave_requests.load(), 1u);
    EXPECT_EQ(differences(win.window(), 0, true), 0); // tinted
    EXPECT_GT(differences(win.window(), 0, false), 100);

    post(WM_LBUTTONDOWN, 92, 72);
    EXPECT_EQ(GetCapture(), win.window());
    EXPECT_EQ(win.captured.load(), p.knob);
    post(WM_MOUSEMOVE, 92 + 3, 72 - 9); // right and up: 12 frames
    EXPECT_EQ(p.knob->frame.load(), 12);
    post(WM_MOUSEMOVE, -40, 72 - 9); // leaves on the left: unclamped
    EXPECT_EQ(p.knob->frame.load(), 0);
    EXPECT_EQ(win.leave_requests.load(), 1u); // once while the request holds

    // Leaving ends the drag as a release does.
    post(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(win.captured.load(), nullptr);
    EXPECT_NE(GetCapture(), win.window());
    post(WM_MOUSEMOVE, 92, 72);
    EXPECT_EQ(win.leave_requests.load(), 2u); // asked again after a leave

    // A press on the background captures the mouse but no widget.
    post(WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(win.hovered.load(), nullptr);
    post(WM_LBUTTONDOWN, 5, 5);
    EXPECT_EQ(GetCapture(), win.window());
    EXPECT_EQ(win.captured.load(), nullptr);
    post(WM_LBUTTONUP, 5, 5);
    EXPECT_NE(GetCapture(), win.window());
    EXPECT_EQ(differences(win.window(), 0, false), 0);

    spcpp("ZR_Wid %o -win 0", p.knob);
    spcpp("ZR_Wid %o -win 0", p.background);
}

// A value set on another thread paints from that thread, at once, while the
// window's own thread keeps repainting on WM_PAINT.
TEST_F(Win32Window, RedrawFromAnotherThreadPaintsThere)
{
    ZR_Win_Win32 win(W, H);
    win.hwnd(host);
    Panel p(&win);
    win.redraw({0, 0, W, H});
    pump_messages();
    const uint32_t before = win.paints.load();
    std::atomic<bool> done{false};
    std::thread setter([&] {
        for (int v = 0; v <= 200; v += 8)
            spcpp("ZR_Wid_Knob %o -val %f", p.knob, (double)v);
        done = true;
    });
    // WM_PAINT on this thread meanwhile; under Wine the setter's drawing
    // may also wait for this thread's messages.
    for (int i = 0; i < 50 || !done.load(); ++i) {
        InvalidateRect(win.window(), nullptr, FALSE);
        UpdateWindow(win.window());
        pump_messages();
    }
    setter.join();
    EXPECT_GE(win.paints.load(), before + 26);
    pump_messages();
    EXPECT_EQ(p.knob->frame.load(), 200);
    EXPECT_EQ(differences(win.window(), 200, false), 0);
    EXPECT_GT(differences(win.window(), 0, false), 100);
    spcpp("ZR_Wid %o -win 0", p.knob);
    spcpp("ZR_Wid %o -win 0", p.background);
}

// The Win32 paint mutex excludes a second painter and gives up after the
// limit: a redraw while another thread paints paints nothing.
TEST_F(Win32Window, RedrawWaitsForThePaintMutexThenSkips)
{
    // Blocks inside the paint of one chosen thread; counts the others'.
    struct Blocking : ZR_Wid {
        std::atomic<DWORD> blocker{0};
        std::atomic<int> state{0};
        std::atomic<int> other_draws{0};
        void draw(ZR_Pic<ZR_Pix_A32> &, int, int, const ZR_Rect &) override
        {
            if (GetCurrentThreadId() != blocker.load()) {
                ++other_draws;
                return;
            }
            state = 1;
            while (state.load() != 2)
                std::this_thread::yield();
        }
    } b;
    b.width = b.height = 64;
    ZR_Win_Win32 win(64, 64);
    win.hwnd(host);
    ZR_Win::attach(&b, &win);
    std::atomic<bool> done{false};
    std::thread painter([&] {
        b.blocker = GetCurrentThreadId();
        win.redraw({0, 0, 64, 64});
        done = true;
    });
    // Under Wine, drawing into another thread's window may wait for that
    // thread's messages: this thread keeps delivering them.
    auto pump_until = [](auto condition) {
        while (!condition()) {
            pump_messages();
            Sleep(1);
        }
    };
    pump_until([&] { return b.state.load() == 1; });
    const int before = b.other_draws.load();
    const DWORD t0 = GetTickCount();
    win.redraw({0, 0, 64, 64});
    const DWORD waited = GetTickCount() - t0;
    EXPECT_GE(waited, 950u);
    EXPECT_EQ(b.other_draws.load(), before); // skipped
    b.state = 2;
    pump_until([&] { return done.load(); });
    painter.join();
    win.redraw({0, 0, 64, 64}); // the mutex was given back
    EXPECT_EQ(b.other_draws.load(), before + 1);
    ZR_Win::attach(&b, nullptr);
}

} // namespace
