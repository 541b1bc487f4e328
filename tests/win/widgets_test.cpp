// Widgets configured by commands on the headless window with the built-in
// artwork: the class table, picture sizes, the knob's value/frame mapping,
// drags and the wheel, bound variables and callbacks, buttons and hit tests.
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/Wid/ZR_Wid_Butt.h"
#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Wid/ZR_Wid_Pic.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "ZR/core/ZR_spcpp.h"
#include "tests/pic/pic_reference.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// A bound variable that counts its notifications.
struct Var : ZR_value {
    int notified = 0;
    void *last_data = nullptr;
    void notify(void *data) override
    {
        ++notified;
        last_data = data;
    }
};

int calls = 0;
void *call_data = nullptr;
void callback(void *data)
{
    ++calls;
    call_data = data;
}

template <class W>
W *make(const char *command)
{
    ZR_Object *o = nullptr;
    EXPECT_EQ(spcpp(command, &o), ZR_OK) << command;
    return dynamic_cast<W *>(o);
}

ZR_Wid_Knob *big_knob(ZR_Win *win)
{
    ZR_Wid_Knob *k =
        make<ZR_Wid_Knob>("ZR_Wid_Knob -w 64 -h 64 -l 68 -t 80 -res big -mn 20 -mx 8333");
    if (win) {
        EXPECT_EQ(spcpp("ZR_Wid %o -win %o", k, win), ZR_OK);
    }
    return k;
}

float knob_value(ZR_Wid_Knob *k)
{
    float v = -1;
    EXPECT_EQ(spcpp("%o -val", k, &v), ZR_OK);
    return v;
}

// A point of frame f with alpha >= 128 and one with alpha < 128 (a corner).
bool find_alpha(const ZR_Vid &strip, int f, bool opaque, int *x, int *y)
{
    for (*y = 0; *y < strip.height; ++*y)
        for (*x = 0; *x < strip.width; ++*x)
            if ((strip.pixel(f, *x, *y).alpha >= 128) == opaque)
                return true;
    return false;
}

// Equal within one step per channel: an opaque background over what the
// reused tile buffer held comes out at its colour or one less.
bool near(ZR_Pix_A32 a, ZR_Pix_A32 b)
{
    return std::abs(a.red - b.red) <= 1 && std::abs(a.green - b.green) <= 1 &&
           std::abs(a.blue - b.blue) <= 1 && std::abs(a.alpha - b.alpha) <= 1;
}

} // namespace

TEST(WidTable, WidgetClassesFollowTheEffectsInTableOrder)
{
    const char *names[] = {"ZR_Wid",      "ZR_Wid_Pic", "ZR_Wid_Butt",
                           "ZR_Wid_Knob", "ZR_Wid_Pal", "ZR_Wid_Text"};
    int at = 0;
    while (_ZR[at].name && std::strcmp(_ZR[at].name, "ZR_Gener_Exp") != 0)
        ++at;
    for (const char *n : names) {
        ASSERT_NE(_ZR[++at].name, nullptr);
        EXPECT_STREQ(_ZR[at].name, n);
        // Every widget table's parent is ZR_Wid's.
        const ZR_option *o = _ZR[at].options;
        while (o->name)
            ++o;
        EXPECT_EQ(o->parent, std::string(n) == "ZR_Wid" ? ZR_Object_options : ZR_Wid_options);
    }
    // ZR_Wid cannot be created by name.
    ZR_Object *o = nullptr;
    EXPECT_NE(spcpp("ZR_Wid -w 5", &o), ZR_OK);
}

TEST(WidPic, SizeFromThePictureOnlyWhenUnsetAndRepeated)
{
    ZR_Win_Headless win(300, 200);
    ZR_Wid_Pic *bg = make<ZR_Wid_Pic>("ZR_Wid_Pic -res bgnd");
    int32_t w = 0, h = 0;
    ASSERT_EQ(spcpp("%o -w -h", bg, &w, &h), ZR_OK);
    EXPECT_EQ(w, 63);
    EXPECT_EQ(h, 63);
    ZR_Wid_Pic *big = make<ZR_Wid_Pic>("ZR_Wid_Pic -w 300 -h 200 -res bgnd");
    ASSERT_EQ(spcpp("%o -w -h", big, &w, &h), ZR_OK);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    ASSERT_EQ(spcpp("ZR_Wid %o -win %o", big, &win), ZR_OK);
    win.paint({0, 0, 300, 200});
    // 63 repeats column 0. The opaque picture over whatever the reused tile
    // buffer held gives its colour or one less.
    for (int y : {0, 70, 199})
        for (int x : {0, 63, 126, 299}) {
            EXPECT_TRUE(near(win.screen.row(y)[x], bg->picture.row(y % 63)[x % 63]))
                << x << "," << y;
        }

    // A name without a resource maps nothing (and keeps the picture).
    ZR_headless_reset_message_boxes();
    ZR_Pix_A32 *before = big->picture.pixels;
    ASSERT_EQ(spcpp("%o -res nosuchpicture", big), ZR_OK);
    EXPECT_EQ(big->picture.pixels, before);
    EXPECT_EQ(ZR_headless_last_message_box().count, 1);
    spcpp("%o -delete", bg);
    spcpp("%o -delete", big);
}

TEST(WidKnob, ValueFrameMappingAndOutOfRangeValues)
{
    ZR_Win_Headless win(200, 236);
    ZR_Wid_Knob *k = big_knob(&win);
    ASSERT_EQ(k->strip.frame_count, 265);
    struct Case {
        float val;
        int frame;
    };
    for (Case c : {Case{20, 0}, Case{8333, 264}, Case{4176.5f, 132}, Case{20.1f, 0}}) {
        ASSERT_EQ(spcpp("%o -val %f", k, (double)c.val), ZR_OK);
        EXPECT_EQ(k->frame.load(), c.frame) << c.val;
    }
    ASSERT_EQ(spcpp("%o -val 4176.5", k), ZR_OK);
    EXPECT_FLOAT_EQ(knob_value(k), 4176.5f);

    // Below the minimum: a negative frame, no redraw, no callback; a later
    // valid value brings it back.
    calls = 0;
    ASSERT_EQ(spcpp("%o -com %o -dat %o", k, (void *)&callback, (void *)&win), ZR_OK);
    win.copies.clear();
    ASSERT_EQ(spcpp("%o -val -100", k), ZR_OK);
    EXPECT_LT(k->frame.load(), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(win.copies.empty());
    win.paint({68, 80, 132, 144}); // draws nothing for the knob, reads nothing
    ASSERT_EQ(spcpp("%o -val 8333", k), ZR_OK);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(call_data, &win);
    EXPECT_FALSE(win.copies.empty());

    // -mn/-mx keep the value; equal limits map everything to frame 0.
    ASSERT_EQ(spcpp("%o -mx 16646", k), ZR_OK);
    EXPECT_EQ(k->frame.load(), 132);
    ASSERT_EQ(spcpp("%o -mn 16646", k), ZR_OK);
    EXPECT_EQ(k->frame.load(), 0);
    // -val before -res is dropped.
    ZR_Wid_Knob *bare = make<ZR_Wid_Knob>("ZR_Wid_Knob -val 50");
    EXPECT_EQ(bare->frame.load(), 0);
    spcpp("%o -delete", bare);
    spcpp("%o -delete", k);
    EXPECT_EQ(win.widgets.count, 0);
}

TEST(WidKnob, DragLimitsDiagonalsWheelAndBoundVariable)
{
    ZR_Win_Headless win(200, 236);
    ZR_Wid_Knob *k = big_knob(&win);
    int x = 0, y = 0;
    ASSERT_TRUE(find_alpha(k->strip, 0, true, &x, &y));

    k->frame = 260;
    k->press(10, 10);
    k->drag(20, 10);
    EXPECT_EQ(k->frame.load(), 264);
    k->drag(19, 10); // no dead zone
    EXPECT_EQ(k->frame.load(), 263);
    k->press(10, 10);
    k->drag(15, 15); // down and right cancel
    EXPECT_EQ(k->frame.load(), 263);
    k->frame = 100;
    k->press(10, 10);
    k->drag(15, 5); // up and right: +10
    EXPECT_EQ(k->frame.load(), 110);
    k->drag(-1000, 10); // clamps at 0 and re-anchors
    EXPECT_EQ(k->frame.load(), 0);
    k->drag(-999, 10);
    EXPECT_EQ(k->frame.load(), 1);

    // Through the window: pointer on the knob, wheel steps one frame each.
    win.on_mouse_move(68 + 32, 80 + 32);
    ASSERT_EQ(win.hovered.load(), k);
    win.on_wheel(68 + 32, 80 + 32, 1);
    EXPECT_EQ(k->frame.load(), 2);
    win.on_wheel(68 + 32, 80 + 32, -3);
    EXPECT_EQ(k->frame.load(), 0);

    // Bound variable: value written as float and notified, the knob's frame
    // moves but nothing is redrawn and no callback runs.
    Var var;
    calls = 0;
    int data = 0;
    ASSERT_EQ(spcpp("%o -var %o -dat %o -com %o", k, (ZR_value *)&var, &data, (void *)&callback),
              ZR_OK);
    win.copies.clear();
    win.on_button_down(100, 112);
    win.on_mouse_move(100 + 132, 112); // off the window, unclamped
    EXPECT_EQ(var.notified, 1);
    EXPECT_EQ(var.type, ZR_TYPE_FLOAT);
    EXPECT_EQ(var.len, -1);
    EXPECT_FLOAT_EQ(var.value.f, 4176.5f);
    EXPECT_EQ(var.last_data, &data);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(win.copies.empty());
    win.on_wheel(100, 112, 1); // ignored while dragging
    EXPECT_EQ(var.notified, 1);
    win.on_button_up();
    win.on_wheel(100, 112, 1);
    EXPECT_EQ(var.notified, 2);
    EXPECT_FLOAT_EQ(var.value.f, k->value_of_frame(133));
    spcpp("%o -delete", k);
}

TEST(WidButt, PressWithAndWithoutVariableAndAlphaHits)
{
    ZR_Win_Headless win(200, 236);
    ZR_Wid_Pic *bg = make<ZR_Wid_Pic>("ZR_Wid_Pic -w 200 -h 236 -res bgnd");
    ZR_Wid_Butt *b = make<ZR_Wid_Butt>("ZR_Wid_Butt -l 20 -t 30 -w 40 -h 24 -res but");
    ASSERT_EQ(spcpp("ZR_Wid %o -win %o", bg, &win), ZR_OK);
    ASSERT_EQ(spcpp("ZR_Wid %o -win %o", b, &win), ZR_OK);
    int x = 0, y = 0;
    ASSERT_TRUE(find_alpha(b->strip, 0, true, &x, &y));
    EXPECT_EQ(win.widget_at(20 + x, 30 + y), b);
    ASSERT_TRUE(find_alpha(b->strip, 0, false, &x, &y));
    EXPECT_EQ(win.widget_at(20 + x, 30 + y), bg); // transparent corner: beneath

    // Without a variable: toggles, redraws, then calls back.
    calls = 0;
    ASSERT_EQ(spcpp("%o -com %o", b, (void *)&callback), ZR_OK);
    ASSERT_TRUE(find_alpha(b->strip, 0, true, &x, &y));
    win.on_mouse_move(20 + x, 30 + y);
    ASSERT_EQ(win.hovered.load(), b);
    win.copies.clear();
    win.on_button_down(20 + x, 30 + y);
    win.on_button_up();
    EXPECT_TRUE(b->value.load());
    EXPECT_EQ(b->shown.load(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(win.copies.empty());
    float v = -1;
    ASSERT_EQ(spcpp("%o -val", b, &v), ZR_OK);
    EXPECT_EQ(v, 1.0f);
    ASSERT_EQ(spcpp("%o -val 1.0", b), ZR_OK); // same value: nothing
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(spcpp("%o -val %s", b, "off"), ZR_OK); // text sets nothing
    EXPECT_TRUE(b->value.load());

    // With a variable: asks for the opposite, stays as it is.
    Var var;
    ASSERT_EQ(spcpp("%o -var %o", b, (ZR_value *)&var), ZR_OK);
    b->press(0, 0);
    EXPECT_EQ(var.notified, 1);
    EXPECT_EQ(var.type, ZR_TYPE_INT);
    EXPECT_EQ(var.value.i, 0);
    EXPECT_TRUE(b->value.load());
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(spcpp("%o -val 0", b), ZR_OK);
    EXPECT_FALSE(b->value.load());
    EXPECT_EQ(calls, 2);

    // Subclasses are not hovered: only the exact classes are.
    struct Derived : ZR_Wid_Butt {};
    Derived d;
    EXPECT_FALSE(d.hoverable());
    EXPECT_TRUE(b->hoverable());
    spcpp("%o -delete", b);
    spcpp("%o -delete", bg);
}

TEST(WidConcurrency, KnobValueFromAnotherThreadWhileTheWindowPaints)
{
    ZR_Win_Headless win(200, 236);
    win.record_copies = false;
    ZR_Wid_Pic *bg = make<ZR_Wid_Pic>("ZR_Wid_Pic -w 200 -h 236 -res bgnd");
    ASSERT_EQ(spcpp("ZR_Wid %o -win %o", bg, &win), ZR_OK);
    ZR_Wid_Knob *k = big_knob(&win);
    std::atomic<bool> stop{false};
    std::thread host([&] {
        for (int i = 0; !stop.load(); ++i)
            spcpp("%o -val %f", k, 20.0 + (i % 300) * 30.0);
    });
    for (int i = 0; i < 300; ++i) {
        win.on_mouse_move(100, 112 + (i % 3));
        win.paint({0, 0, 200, 236});
    }
    stop = true;
    host.join();
    spcpp("%o -val 4176.5", k);
    // The screen shows frame 132 over the background, as a reference paint.
    ZR_Pic_Base<ZR_Pix_A32> ref;
    ref.resize(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ref.row(y)[x] = reference_over(
                reference_over(px(0, 0, 0, 0), bg->picture.row((80 + y) % 63)[(68 + x) % 63]),
                k->strip.pixel(132, x, y));
    win.hovered = nullptr;
    win.paint({0, 0, 200, 236});
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 64; x += 5)
            EXPECT_TRUE(near(win.screen.row(80 + y)[68 + x], ref.row(y)[x])) << x << "," << y;
    spcpp("%o -delete", k);
    spcpp("%o -delete", bg);
}
