// The editor of vemo.dll in a host window (needs an X server under Wine):
// sizing and parenting, the screen against the Linux build's headless paint
// of the panel, and a drag on the knob reaching the host on its own thread.
#include "dll_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

struct Rect {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

std::vector<Rect> reference_rects(const char *name)
{
    const std::vector<char> bytes = reference_file(name);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<Rect> rects;
    Rect r;
    while (in >> r.left >> r.top >> r.right >> r.bottom)
        rects.push_back(r);
    return rects;
}

constexpr int WIDTH = 200, HEIGHT = 236;

class Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dll.entry, nullptr);
        host = make_host_window(20, 30, 300, 300);
        ASSERT_NE(host, nullptr) << "no window: is DISPLAY an X server?";
        e = dll.make();
        ASSERT_NE(e, nullptr);
    }
    void TearDown() override
    {
        if (e)
            call(e, effClose);
        if (host)
            DestroyWindow(host);
        pump_messages();
    }

    // Pixels outside the text labels that differ from the headless paint by
    // more than what a translucent pixel lets through of the tile buffer's
    // earlier contents (which held text); *close counts those compared
    // within one step.
    int mismatches(HWND window, int *close)
    {
        const std::vector<char> panel = reference_file("panel.rgba");
        const std::vector<Rect> texts = reference_rects("text.rects");
        EXPECT_EQ(panel.size(), (size_t)WIDTH * HEIGHT * 4);
        EXPECT_FALSE(texts.empty());
        if (panel.size() != (size_t)WIDTH * HEIGHT * 4)
            return -1;
        pump_messages();
        const std::vector<uint32_t> shown = grab_window(window, WIDTH, HEIGHT);
        int bad = 0;
        *close = 0;
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x) {
                bool in_text = false;
                for (const Rect &r : texts)
                    in_text = in_text || r.contains(x, y);
                if (in_text)
                    continue;
                const unsigned char *r = reinterpret_cast<const unsigned char *>(
                    &panel[((size_t)y * WIDTH + (size_t)x) * 4]);
                const uint32_t p = shown[(size_t)y * WIDTH + (size_t)x];
                const int slack = 256 - r[3];
                *close += slack <= 2;
                bad += std::abs((int)(p >> 16 & 0xFF) - r[0]) >= slack ||
                       std::abs((int)(p >> 8 & 0xFF) - r[1]) >= slack ||
                       std::abs((int)(p & 0xFF) - r[2]) >= slack;
            }
        return bad;
    }

    Dll dll;
    HWND host = nullptr;
    AEffect *e = nullptr;
};

TEST_F(Editor, OpensSizedInTheHostWindowAndShowsTheHeadlessPaint)
{
    ERect *rect = nullptr;
    ASSERT_EQ(call(e, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, WIDTH);
    EXPECT_EQ(rect->bottom - rect->top, HEIGHT);

    ASSERT_EQ(call(e, effEditOpen, 0, 0, host), 1);
    RECT r;
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, 20); // the host keeps its place, takes the panel's size
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, WIDTH);
    EXPECT_EQ(r.bottom - r.top, HEIGHT);

    HWND child = GetWindow(host, GW_CHILD);
    ASSERT_NE(child, nullptr);
    char name[64] = {}, expected[64];
    GetClassNameA(child, name, sizeof name);
    std::snprintf(expected, sizeof expected, "ZRFRAMEx%8.8X", (unsigned)(uintptr_t)dll.module);
    EXPECT_STREQ(name, expected);
    EXPECT_EQ(GetWindowLongPtrA(child, GWL_STYLE) & 0x56000000, 0x56000000);

    int close = 0;
    EXPECT_EQ(mismatches(child, &close), 0);
    EXPECT_GT(close, WIDTH * HEIGHT / 2); // a nearly opaque skin: a real comparison

    // Closed, the host window is empty; opened again, the same panel.
    call(e, effEditClose);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    ASSERT_EQ(call(e, effEditOpen, 0, 0, host), 1);
    child = GetWindow(host, GW_CHILD);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(mismatches(child, &close), 0);
    call(e, effEditClose);
}

TEST_F(Editor, DragOnTheKnobTellsTheHostOnItsThread)
{
    ASSERT_EQ(call(e, effEditOpen, 0, 0, host), 1);
    HWND child = GetWindow(host, GW_CHILD);
    ASSERT_NE(child, nullptr);
    const std::vector<Rect> knob = reference_rects("knob.rect");
    ASSERT_EQ(knob.size(), 1u);
    const int x = (knob[0].left + knob[0].right) / 2, y = (knob[0].top + knob[0].bottom) / 2;
    const float before = e->getParameter(e, 1);
    Dll::calls.clear();

    // The pointer really is over the knob: the leave request checks it.
    POINT at = {x, y};
    ClientToScreen(child, &at);
    SetCursorPos(at.x, at.y);
    pump_messages();
    auto post = [&](UINT message, int px, int py) {
        PostMessageA(child, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(px, py));
        pump_messages();
    };
    post(WM_MOUSEMOVE, x, y);
    post(WM_LBUTTONDOWN, x, y);
    post(WM_MOUSEMOVE, x, y - 10);
    post(WM_MOUSEMOVE, x + 5, y - 20);
    post(WM_LBUTTONUP, x + 5, y - 20);

    const float after = e->getParameter(e, 1);
    EXPECT_GT(after, before);
    const std::vector<HostCall> calls = Dll::calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    float last = before;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].index, 1) << i;
        EXPECT_EQ(calls[i].thread, GetCurrentThreadId()) << i;
        if (i > 0 && i + 1 < calls.size()) {
            EXPECT_EQ(calls[i].opcode, audioMasterAutomate) << i;
            EXPECT_GT(calls[i].value, last) << i; // each step turns it up
            last = calls[i].value;
        }
    }
    EXPECT_EQ(last, after);
    call(e, effEditClose);
}

} // namespace
