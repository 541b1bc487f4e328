// The editor panel on the headless window: where every piece lies, what the
// widgets show for the default values, the disabled look with State off,
// input through the window reaching the records, re-attaching, deletion.
#include "app/ZR_Application.h"
#include "app/ZR_Application_Param.h"

#include "ZR/Wid/ZR_Wid_Butt.h"
#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Wid/ZR_Wid_Text_Base.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/dsp/ZR_Effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using App = ZR_Application;

class Panel : public ::testing::Test {
protected:
    void SetUp() override { app.build(); }
    void TearDown() override
    {
        ::testing::internal::CaptureStdout();
        app.destroy();
        ::testing::internal::GetCapturedStdout();
    }
    using Screen = std::vector<ZR_Pix_A32>;
    static Screen snapshot(ZR_Win_Headless &win)
    {
        Screen s;
        for (int y = 0; y < win.height; ++y)
            s.insert(s.end(), win.screen.row(y), win.screen.row(y) + win.width);
        return s;
    }
    ZR_Wid *w(int slot) const { return app.widgets[slot]; }
    void paint(ZR_Win_Headless &win) { win.paint({0, 0, win.width, win.height}); }
    // The panel painted once into a new window (a window's tile buffer
    // carries over between paints).
    Screen fresh_paint()
    {
        ZR_Win_Headless win(200, 236);
        app.attachWindow(&win);
        paint(win);
        app.detachWindow();
        return snapshot(win);
    }
    void click(ZR_Win &win, int x, int y)
    {
        win.on_mouse_move(x, y);
        win.on_button_down(x, y);
        win.on_button_up();
    }
    static bool same(const ZR_Pix_A32 &a, const ZR_Pix_A32 &b)
    {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    // Equal but for what the skin's translucent pixels let through of the
    // tile buffer's earlier contents: over any background a pixel of alpha
    // a moves by at most 255 - a per channel.
    static bool close(const ZR_Pix_A32 &a, const ZR_Pix_A32 &b)
    {
        const int slack = 256 - std::min(a.alpha, b.alpha);
        return a.alpha == b.alpha && std::abs(a.red - b.red) <= slack &&
               std::abs(a.green - b.green) <= slack && std::abs(a.blue - b.blue) <= slack;
    }
    int32_t state() const { return app.params[App::STATE]->load_value().i; }
    float frequency() const { return app.params[App::FREQUENCY]->load_value().f; }

    App app;
};

TEST_F(Panel, PiecesTileTheFramesAndWidgetsLieWhereTheyShould)
{
    struct Case {
        int slot, left, top, width, height;
    };
    const Case cases[] = {
        {App::BACKGROUND, 0, 0, 200, 236},
        {App::OUTER_TOP_LEFT, 0, 0, 10, 10},
        {App::OUTER_TOP, 10, 0, 180, 10},
        {App::OUTER_TOP_RIGHT, 190, 0, 10, 10},
        {App::OUTER_LEFT, 0, 10, 10, 216},
        {App::OUTER_RIGHT, 190, 10, 10, 216},
        {App::OUTER_BOTTOM_LEFT, 0, 226, 10, 10},
        {App::OUTER_BOTTOM, 10, 226, 180, 10},
        {App::OUTER_BOTTOM_RIGHT, 190, 226, 10, 10},
        {App::LOGO, 20, 8, 160, 30},
        {App::TITLE, 10, 35, 180, 20},
        {App::GROUP_TOP_LEFT, 10, 56, 10, 10},
        {App::GROUP_TOP, 20, 56, 160, 10},
        {App::GROUP_TOP_RIGHT, 180, 56, 10, 10},
        {App::GROUP_LEFT, 10, 66, 10, 150},
        {App::GROUP_MIDDLE, 16, 62, 168, 158}, // (16, 62) to (184, 220)
        {App::GROUP_RIGHT, 180, 66, 10, 150},
        {App::GROUP_BOTTOM_LEFT, 10, 216, 10, 10},
        {App::GROUP_BOTTOM, 20, 216, 160, 10},
        {App::GROUP_BOTTOM_RIGHT, 180, 216, 10, 10},
        {App::STATE_BUTTON, 21, 67, 40, 24},
        {App::FILTER_CAPTION, 62, 70, 80, 16},
        {App::CUTOFF_CAPTION, 50, 104, 96, 18},
        {App::KNOB, 66, 126, 64, 64},
        {App::VALUE_TEXT, 66, 194, 64, 18},
    };
    ASSERT_EQ(sizeof cases / sizeof cases[0], (size_t)App::WIDGET_COUNT - 2);
    for (const Case &c : cases) {
        ZR_Wid *wid = w(c.slot);
        ASSERT_NE(wid, nullptr) << c.slot;
        EXPECT_EQ(wid->left, c.left) << c.slot;
        EXPECT_EQ(wid->top, c.top) << c.slot;
        EXPECT_EQ(wid->width, c.width) << c.slot;
        EXPECT_EQ(wid->height, c.height) << c.slot;
    }
    EXPECT_EQ(w(App::LOAD_BUTTON), nullptr);
    EXPECT_EQ(w(App::SAVE_BUTTON), nullptr);
    EXPECT_EQ(app.editor_width, 200);
    EXPECT_EQ(app.editor_height, 236);
}

TEST_F(Panel, DefaultsShowTheirValueAndStateOffDimsAndLocksTheKnob)
{
    ZR_Win_Headless win(200, 236);
    app.attachWindow(&win);
    paint(win);
    auto *knob = static_cast<ZR_Wid_Knob *>(w(App::KNOB));
    auto *button = static_cast<ZR_Wid_Butt *>(w(App::STATE_BUTTON));
    auto *value = static_cast<ZR_Wid_Text_Base *>(w(App::VALUE_TEXT));
    EXPECT_EQ(value->text_copy(), "283 Hz");
    EXPECT_TRUE(button->value.load());
    EXPECT_EQ(knob->frame.load(), 47);
    paint(win);
    const Screen lit = snapshot(win);
    paint(win);
    {
        const Screen again = snapshot(win);
        EXPECT_EQ(std::memcmp(lit.data(), again.data(), lit.size() * sizeof lit[0]), 0)
            << "DEBUG repaint";
    }

    // The button toggles State off; the record stays a switch.
    click(win, 40, 80);
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(app.params[App::STATE]->type, ZR_PARAM_SWITCH);
    EXPECT_FALSE(app.lowpass1->on.load());
    EXPECT_FALSE(button->value.load());
    for (int slot : {App::CUTOFF_CAPTION, App::KNOB, App::VALUE_TEXT})
        EXPECT_EQ(w(slot)->enabled, 0) << slot;
    const Screen off = fresh_paint();
    app.attachWindow(&win);

    // Only the button and the three disabled widgets look different; the
    // dimmed ones are never brighter than lit.
    int dimmed = 0;
    for (int y = 0; y < 236; ++y)
        for (int x = 0; x < 200; ++x) {
            const ZR_Pix_A32 a = lit[y * 200 + x], b = off[y * 200 + x];
            bool inside = false;
            for (int slot : {App::STATE_BUTTON, App::CUTOFF_CAPTION, App::KNOB, App::VALUE_TEXT}) {
                const ZR_Rect r = w(slot)->rect();
                inside |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            }
            if (!inside) {
                ASSERT_TRUE(close(a, b)) << x << "," << y;
                continue;
            }
            const ZR_Rect br = w(App::STATE_BUTTON)->rect();
            if (x >= br.left && x < br.right && y >= br.top && y < br.bottom)
                continue;
            dimmed += !close(a, b);
        }
    EXPECT_GT(dimmed, 1000);

    // A drag on the disabled knob changes nothing.
    win.on_mouse_move(98, 158);
    win.on_button_down(98, 158);
    win.on_mouse_move(98, 140);
    win.on_button_up();
    EXPECT_EQ(knob->frame.load(), 47);
    EXPECT_EQ(frequency(), 1500.0f);

    // Back on, the panel looks as it did.
    click(win, 40, 80);
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(app.params[App::STATE]->type, ZR_PARAM_SWITCH);
    EXPECT_TRUE(app.lowpass1->on.load());
    const Screen again = fresh_paint();
    for (size_t i = 0; i < lit.size(); ++i)
        ASSERT_TRUE(close(lit[i], again[i])) << i % 200 << "," << i / 200;
    app.detachWindow();
}

TEST_F(Panel, KnobDragSetsFrequencyAndTextOneFramePerPixel)
{
    ZR_Win_Headless win(200, 236);
    app.attachWindow(&win);
    auto *knob = static_cast<ZR_Wid_Knob *>(w(App::KNOB));
    auto *value = static_cast<ZR_Wid_Text_Base *>(w(App::VALUE_TEXT));
    win.on_mouse_move(98, 158);
    win.on_button_down(98, 158);
    win.on_mouse_move(98, 148); // 10 pixels up
    win.on_button_up();
    EXPECT_EQ(knob->frame.load(), 57);
    const double v = 20.0 + 57.0 / 264.0 * 8313.0;
    EXPECT_NEAR(frequency(), v, 1e-2);
    EXPECT_EQ(app.params[App::FREQUENCY]->type, ZR_TYPE_FLOAT);
    const double t = (v - 20.0) / 8313.0;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.0f Hz", 20.0 + 8313.0 * t * t);
    EXPECT_EQ(value->text_copy(), expected);
    app.detachWindow();
}

TEST_F(Panel, ReattachingMovesTheSameWidgetsAndPaintsTheSame)
{
    ZR_Win_Headless first(200, 236), second(200, 236);
    ZR_Wid *before[App::WIDGET_COUNT];
    std::memcpy(before, app.widgets, sizeof before);
    app.attachWindow(&first);
    EXPECT_EQ(app.window, &first);
    paint(first);
    const Screen shown = snapshot(first);
    app.detachWindow();
    for (ZR_Wid *wid : app.widgets)
        EXPECT_TRUE(!wid || wid->window == nullptr);
    app.attachWindow(&second);
    app.attachWindow(&second); // twice: still one membership
    paint(second);
    EXPECT_EQ(std::memcmp(before, app.widgets, sizeof before), 0);
    for (ZR_Wid *wid : app.widgets)
        EXPECT_TRUE(!wid || wid->window == &second);
    for (int y = 0; y < 236; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_TRUE(same(shown[y * 200 + x], second.screen.row(y)[x])) << x << "," << y;
    app.detachWindow();
}

TEST(PanelDestroy, EmptySlotsAreReported)
{
    App app;
    app.build();
    ::testing::internal::CaptureStdout();
    app.destroy();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "NULL WIDGET\nNULL WIDGET\n");
    for (ZR_Wid *wid : app.widgets)
        EXPECT_EQ(wid, nullptr);
}

} // namespace
