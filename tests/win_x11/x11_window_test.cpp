// The X11 window under a private Xvfb: a real child of a test parent, the
// screen equal to the headless paint, pointer input by xdotool (hover, drag,
// leaving ends the drag, wheel), redraws from a second thread while dragging.
#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Wid/ZR_Wid_Pic.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/Win/ZR_Win_X11.h"
#include "ZR/core/ZR_spcpp.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None and Status as macros.
#include "support/eventually.h"
#include "support/xvfb.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

Xvfb *xvfb = nullptr;

void xdotool(const std::string &args)
{
    xvfb->xdotool(args);
}

struct Panel {
    ZR_Object *bg = nullptr, *knob = nullptr;
    explicit Panel(ZR_Win *win)
    {
        spcpp("ZR_Wid_Pic -w 200 -h 236 -res bgnd", &bg);
        spcpp("ZR_Wid_Knob -w 64 -h 64 -l 68 -t 80 -res big -mn 20 -mx 8333 -val 4176.5", &knob);
        spcpp("ZR_Wid %o -win %o", bg, win);
        spcpp("ZR_Wid %o -win %o", knob, win);
    }
    ~Panel()
    {
        spcpp("%o -delete", knob);
        spcpp("%o -delete", bg);
    }
    ZR_Wid_Knob *k() const { return static_cast<ZR_Wid_Knob *>(knob); }
};

} // namespace

class WinX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(xvfb->display, nullptr) << "Xvfb did not start";
        Display *d = xvfb->display;
        parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 400, 300, 0, 0, 0);
        XMapWindow(d, parent);
        XSync(d, False);
    }
    void TearDown() override
    {
        XDestroyWindow(xvfb->display, parent);
        XSync(xvfb->display, False);
    }
    Window parent = 0;
};

TEST_F(WinX11, ChildWindowScreenEqualsTheHeadlessPaint)
{
    ZR_Win_X11 win(200, 236);
    Panel panel(&win);
    EXPECT_EQ(win.hwnd(parent), parent);
    ASSERT_NE(win.window_id(), 0u);
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(xvfb->display, win.window_id(), &root, &up, &children, &count);
    XFree(children);
    EXPECT_EQ(up, parent);
    ASSERT_TRUE(eventually([&] { return win.paints.load() > 0; }));
    // A full redraw from this thread goes through the event thread.
    const uint32_t before = win.paints.load();
    win.redraw({0, 0, 200, 236});
    ASSERT_TRUE(eventually([&] { return win.paints.load() > before; }));

    ZR_Win_Headless ref(200, 236);
    Panel ref_panel(&ref);
    ref.paint({0, 0, 200, 236});
    ref.paint({0, 0, 200, 236});
    // The event thread's image reaches the server on its own connection: a
    // screenshot through ours may come before it, so look until it matches.
    auto mismatches = [&](bool report) {
        XImage *shot =
            XGetImage(xvfb->display, win.window_id(), 0, 0, 200, 236, AllPlanes, ZPixmap);
        if (!shot)
            return -1;
        int bad = 0;
        for (int y = 0; y < 236; ++y)
            for (int x = 0; x < 200; ++x) {
                const unsigned long p = XGetPixel(shot, x, y);
                const ZR_Pix_A32 r = ref.screen.row(y)[x];
                const unsigned long want = (unsigned long)r.red << 16 | r.green << 8 | r.blue;
                if (p != want && report && bad < 3)
                    ADD_FAILURE() << x << "," << y << ": " << std::hex << p << " vs " << want;
                bad += p != want;
            }
        XDestroyImage(shot);
        return bad;
    };
    if (!eventually([&] { return mismatches(false) == 0; })) {
        EXPECT_EQ(mismatches(true), 0);
    }

    // Detach, reattach elsewhere, detach.
    Window other = XCreateSimpleWindow(xvfb->display, DefaultRootWindow(xvfb->display), 0, 0, 300,
                                       300, 0, 0, 0);
    XSync(xvfb->display, False);
    EXPECT_EQ(win.hwnd(other), other);
    EXPECT_EQ(win.hwnd(0), 0u);
    EXPECT_EQ(win.window_id(), 0u);
    XDestroyWindow(xvfb->display, other);
}

TEST_F(WinX11, PointerDragLeaveWheelAndRedrawsFromAnotherThread)
{
    ZR_Win_X11 win(200, 236);
    Panel panel(&win);
    win.hwnd(parent);
    ASSERT_TRUE(eventually([&] { return win.paints.load() > 0; }));
    ZR_Wid_Knob *k = panel.k();
    ASSERT_EQ(k->frame.load(), 132);

    xdotool("mousemove 100 112");
    ASSERT_TRUE(eventually([&] { return win.hovered.load() == k; }));
    std::atomic<bool> stop{false};
    std::thread host([&] {
        while (!stop.load())
            win.redraw({0, 0, 200, 236});
    });
    xdotool("mousedown 1");
    xdotool("mousemove 110 112");
    EXPECT_TRUE(eventually([&] { return k->frame.load() == 142; })) << k->frame.load();
    xdotool("mousemove 110 102"); // up 10: +10
    EXPECT_TRUE(eventually([&] { return k->frame.load() == 152; })) << k->frame.load();
    // Leaving the window ends the drag: moves after it change nothing.
    xdotool("mousemove 300 250");
    EXPECT_TRUE(eventually([&] { return win.captured.load() == nullptr; }));
    const int32_t after_leave = k->frame.load();
    xdotool("mousemove 320 250");
    xdotool("mouseup 1");
    stop = true;
    host.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(k->frame.load(), after_leave);

    // The wheel steps one frame.
    xdotool("mousemove 100 112");
    ASSERT_TRUE(eventually([&] { return win.hovered.load() == k; }));
    const int32_t f = k->frame.load();
    xdotool("click 4");
    EXPECT_TRUE(eventually([&] { return k->frame.load() == f + 1; })) << k->frame.load();
    xdotool("click 5");
    xdotool("click 5");
    EXPECT_TRUE(eventually([&] { return k->frame.load() == f - 1; })) << k->frame.load();
    win.hwnd(0);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    xvfb = new Xvfb(0);
    ::testing::AddGlobalTestEnvironment(xvfb);
    return RUN_ALL_TESTS();
}
