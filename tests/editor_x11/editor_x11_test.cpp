// The editor in a host's X11 window, under a private Xvfb: vemo.so loaded
// with dlopen as a host loads it, its editor opened in test parent windows in
// the orders real hosts use, and the panel drawn and redrawn there.
#include "ZR/Win/ZR_Win_Headless.h"
#include "app/ZR_Application.h"
#include "vst/aeffect.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None and Status as macros.
#include "support/eventually.h"
#include "support/xvfb.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

Xvfb *xvfb = nullptr;

// What the host was told of the user's edits.
struct HostCall {
    int32_t opcode;
    int32_t index;
    float value;
};
std::mutex calls_lock;
std::vector<HostCall> host_calls;

intptr_t VEMO_VSTCALL host(AEffect *, int32_t opcode, int32_t index, intptr_t, void *, float opt)
{
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit) {
        std::lock_guard<std::mutex> lock(calls_lock);
        host_calls.push_back({opcode, index, opt});
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<HostCall> take_host_calls()
{
    std::lock_guard<std::mutex> lock(calls_lock);
    std::vector<HostCall> out;
    out.swap(host_calls);
    return out;
}

void xdotool(const std::string &args);

AEffect *load_plugin()
{
    static void *so = dlopen(VEMO_SO_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!so)
        return nullptr;
    auto entry = reinterpret_cast<VstPluginEntryProc>(dlsym(so, "VSTPluginMain"));
    return entry ? entry(host) : nullptr;
}

intptr_t call(AEffect *e, int32_t opcode, intptr_t value = 0, void *ptr = nullptr)
{
    return e->dispatcher(e, opcode, 0, value, ptr, 0.0f);
}

void xdotool(const std::string &args)
{
    xvfb->xdotool(args);
}

void pause_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(xvfb->display, nullptr) << "Xvfb did not start";
        d = xvfb->display;
    }
    // Side by side: an obscured window's pixels cannot be read back.
    Window make_parent()
    {
        const int x = 210 * (parents++ % 3);
        Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, 0, 50, 50, 0, 0, 0);
        XMapWindow(d, w);
        XSync(d, False);
        return w;
    }
    std::vector<Window> children(Window w)
    {
        Window root, parent, *list = nullptr;
        unsigned n = 0;
        std::vector<Window> out;
        if (XQueryTree(d, w, &root, &parent, &list, &n)) {
            out.assign(list, list + n);
            XFree(list);
        }
        return out;
    }
    std::pair<unsigned, unsigned> size(Window w)
    {
        Window root;
        int x, y;
        unsigned width = 0, height = 0, border, depth;
        XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth);
        return {width, height};
    }
    // The pixels of rect (x, y, w, h) in window w.
    std::vector<unsigned long> grab(Window w, int x, int y, int width, int height)
    {
        std::vector<unsigned long> out;
        XImage *image = XGetImage(d, w, x, y, width, height, AllPlanes, ZPixmap);
        if (!image)
            return out;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                out.push_back(XGetPixel(image, i, j));
        XDestroyImage(image);
        return out;
    }
    // Tiles arrive one by one: the panel counts as painted when every 64 x 64
    // tile shows ink.
    bool painted(Window child)
    {
        const auto pixels = grab(child, 0, 0, 200, 236);
        for (int ty = 0; ty < 236; ty += 64)
            for (int tx = 0; tx < 200; tx += 64) {
                bool ink = false;
                for (int y = ty; y < std::min(ty + 64, 236) && !ink; ++y)
                    for (int x = tx; x < std::min(tx + 64, 200) && !ink; ++x)
                        ink = pixels[y * 200 + x] != 0;
                if (!ink)
                    return false;
            }
        return true;
    }
    Display *d = nullptr;
    int parents = 0;
};

TEST_F(Editor, OpensSizesAndSurvivesTheHostsOddOrders)
{
    AEffect *e = load_plugin();
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->flags & effFlagsHasEditor, 0);
    ERect *rect = nullptr;
    EXPECT_EQ(call(e, effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 236);
    EXPECT_EQ(rect->right, 200);
    call(e, effEditIdle); // before any open
    call(e, effEditClose);

    const Window first = make_parent(), second = make_parent();
    // Some hosts pass their Display* as the value: it is never used.
    EXPECT_EQ(call(e, effEditOpen, 0x1234, (void *)(uintptr_t)first), 1);
    EXPECT_EQ(size(first), std::make_pair(200u, 236u));
    ASSERT_EQ(children(first).size(), 1u);
    const Window child = children(first)[0];
    EXPECT_EQ(size(child), std::make_pair(200u, 236u));
    EXPECT_TRUE(eventually([&] { return painted(child); }));
    call(e, effEditIdle);

    // A second open without a close moves the panel.
    EXPECT_EQ(call(e, effEditOpen, 0, (void *)(uintptr_t)second), 1);
    EXPECT_TRUE(children(first).empty());
    ASSERT_EQ(children(second).size(), 1u);
    call(e, effEditClose);
    EXPECT_TRUE(children(second).empty());
    call(e, effEditClose); // twice

    // The host destroys its window before closing the editor.
    EXPECT_EQ(call(e, effEditOpen, 0, (void *)(uintptr_t)first), 1);
    XDestroyWindow(d, first);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    e->setParameter(e, 1, 0.9f); // redraws into the dead window
    call(e, effEditIdle);
    call(e, effEditClose);
    EXPECT_EQ(call(e, effEditOpen, 0, (void *)(uintptr_t)second), 1);
    EXPECT_EQ(children(second).size(), 1u);
    EXPECT_EQ(call(e, effEditOpen, 0, nullptr), 0);

    // Closed while the editor is open.
    call(e, effEditOpen, 0, (void *)(uintptr_t)second);
    call(e, effClose);
    XSync(d, False);
    EXPECT_TRUE(children(second).empty());
    XDestroyWindow(d, second);
}

// What the host shows is the framework's own paint of the panel: the same
// application painted into a headless window, pixel for pixel but for what
// the skin's translucent pixels let through of a tile's earlier contents.
TEST_F(Editor, ScreenShowsTheHeadlessPaint)
{
    AEffect *e = load_plugin();
    ASSERT_NE(e, nullptr);
    const Window parent = make_parent();
    ASSERT_EQ(call(e, effEditOpen, 0, (void *)(uintptr_t)parent), 1);
    ASSERT_EQ(children(parent).size(), 1u);
    const Window child = children(parent)[0];

    ZR_Application app;
    app.report_empty_slots = false;
    ASSERT_EQ(app.build(), ZR_OK);
    ZR_Win_Headless win(200, 236);
    app.attachWindow(&win);
    win.paint({0, 0, 200, 236});
    auto mismatches = [&] {
        const auto shown = grab(child, 0, 0, 200, 236);
        if (shown.size() != 200u * 236u)
            return -1;
        int bad = 0;
        for (int y = 0; y < 236; ++y)
            for (int x = 0; x < 200; ++x) {
                const ZR_Pix_A32 r = win.screen.row(y)[x];
                const unsigned long p = shown[(size_t)y * 200 + (size_t)x];
                const int slack = 256 - r.alpha;
                bad += std::abs((int)(p >> 16 & 0xFF) - r.red) > slack ||
                       std::abs((int)(p >> 8 & 0xFF) - r.green) > slack ||
                       std::abs((int)(p & 0xFF) - r.blue) > slack;
            }
        return bad;
    };
    eventually([&] { return mismatches() == 0; });
    EXPECT_EQ(mismatches(), 0);

    app.detachWindow();
    app.destroy();
    call(e, effEditClose);
    call(e, effClose);
    XDestroyWindow(d, parent);
    XSync(d, False);
}

TEST_F(Editor, TwoInstancesOpenAtOnceFollowTheirParameters)
{
    AEffect *a = load_plugin(), *b = load_plugin();
    ASSERT_TRUE(a && b);
    const Window pa = make_parent(), pb = make_parent();
    ASSERT_EQ(call(a, effEditOpen, 0, (void *)(uintptr_t)pa), 1);
    ASSERT_EQ(call(b, effEditOpen, 0, (void *)(uintptr_t)pb), 1);
    ASSERT_EQ(children(pa).size(), 1u);
    ASSERT_EQ(children(pb).size(), 1u);
    const Window ca = children(pa)[0], cb = children(pb)[0];
    EXPECT_TRUE(eventually([&] { return painted(ca); }));
    EXPECT_TRUE(eventually([&] { return painted(cb); }));

    // VEMO_EDITOR_SCREENSHOT=FILE keeps the panel as shown, a binary PPM
    // (the README's picture is it at twice the size).
    if (const char *shot = std::getenv("VEMO_EDITOR_SCREENSHOT")) {
        const auto pixels = grab(ca, 0, 0, 200, 236);
        ASSERT_EQ(pixels.size(), 200u * 236u);
        std::ofstream out(shot, std::ios::binary);
        out << "P6\n200 236\n255\n";
        for (unsigned long p : pixels) {
            const char rgb[3] = {(char)(p >> 16 & 0xFF), (char)(p >> 8 & 0xFF), (char)(p & 0xFF)};
            out.write(rgb, 3);
        }
    }

    // The knob and its text follow a parameter set on another thread; the
    // other instance does not move.
    const auto knob_a = grab(ca, 66, 126, 64, 86), knob_b = grab(cb, 66, 126, 64, 86);
    std::thread([a] { a->setParameter(a, 1, 1.0f); }).join();
    EXPECT_TRUE(eventually([&] { return grab(ca, 66, 126, 64, 86) != knob_a; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(grab(cb, 66, 126, 64, 86), knob_b);

    call(a, effEditClose);
    call(a, effClose);
    call(b, effClose);
    XDestroyWindow(d, pa);
    XDestroyWindow(d, pb);
    XSync(d, False);
}

// Checks one gesture: begin, at least one automate with the parameter's
// final host value last, end; all for index.
void expect_gesture(const std::vector<HostCall> &calls, int32_t index, float final_value)
{
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    for (size_t i = 1; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i].opcode, audioMasterAutomate) << i;
    for (const HostCall &c : calls)
        EXPECT_EQ(c.index, index);
    EXPECT_FLOAT_EQ(calls[calls.size() - 2].value, final_value);
}

// Idle calls until the host has been told of a release (the event thread
// may still be on its way there).
std::vector<HostCall> idle_until_end(AEffect *e)
{
    std::vector<HostCall> all;
    eventually([&] {
        call(e, effEditIdle);
        for (const HostCall &c : take_host_calls())
            all.push_back(c);
        return !all.empty() && all.back().opcode == audioMasterEndEdit;
    });
    return all;
}

TEST_F(Editor, UserGesturesReachTheHostAtIdleInOrder)
{
    AEffect *e = load_plugin();
    ASSERT_NE(e, nullptr);
    const Window parent = make_parent(); // at the screen's left edge
    ASSERT_EQ(call(e, effEditOpen, 0, (void *)(uintptr_t)parent), 1);
    ASSERT_EQ(children(parent).size(), 1u);
    ASSERT_TRUE(eventually([&] { return painted(children(parent)[0]); }));
    take_host_calls();

    // A drag up the knob.
    const float before = e->getParameter(e, 1);
    xdotool("mousemove 98 158");
    pause_ms(100);
    xdotool("mousedown 1");
    xdotool("mousemove 98 150");
    pause_ms(50);
    xdotool("mousemove 98 140");
    EXPECT_TRUE(eventually([&] { return e->getParameter(e, 1) > before; }));
    pause_ms(50);
    xdotool("mouseup 1");
    pause_ms(100);
    EXPECT_TRUE(take_host_calls().empty()); // nothing before the idle call
    expect_gesture(idle_until_end(e), 1, e->getParameter(e, 1));

    // A click on the State button.
    xdotool("mousemove 40 80");
    pause_ms(100);
    xdotool("click 1");
    EXPECT_TRUE(eventually([&] { return e->getParameter(e, 0) == 0.0f; }));
    expect_gesture(idle_until_end(e), 0, 0.0f);

    // Host changes are not echoed back.
    e->setParameter(e, 1, 0.2f);
    call(e, effEditIdle);
    EXPECT_TRUE(take_host_calls().empty());
    call(e, effClose);
    XDestroyWindow(d, parent);
    XSync(d, False);
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    xvfb = new Xvfb(31);
    ::testing::AddGlobalTestEnvironment(xvfb);
    return RUN_ALL_TESTS();
}
