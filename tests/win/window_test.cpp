// Window rules on the headless window: tiles and links, paint order and
// content against a whole-widget reference, hit testing, hover, capture,
// drag coordinates, the tint and destruction.
#include "ZR/Win/ZR_Win_Headless.h"
#include "tests/win/win_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {

const ZR_Pix_A32 OPAQUE_GREY = px(90, 90, 90, 255);

// Reference screen: every widget composed whole, in attach order, with the
// tint for the hovered or disabled one.
std::vector<ZR_Pix_A32> reference_screen(ZR_Win &win, const std::vector<Solid *> &order)
{
    std::vector<ZR_Pix_A32> screen((size_t)win.width * win.height, px(0, 0, 0, 0));
    for (Solid *s : order) {
        for (int y = std::max(0, s->top); y < std::min(win.height, s->top + s->height); ++y)
            for (int x = std::max(0, s->left); x < std::min(win.width, s->left + s->width); ++x) {
                ZR_Pix_A32 c = s->colour;
                if (!s->enabled || s == win.hovered.load()) {
                    c = reference_over(px(0, 0, 0, 0), s->visible ? s->colour : px(0, 0, 0, 0));
                    c = reference_tint(c, s->enabled ? 1.5 : 0.4);
                }
                else if (!s->visible)
                    continue;
                ZR_Pix_A32 &d = screen[(size_t)y * win.width + x];
                d = s->replace && s->enabled && s != win.hovered.load() ? c : reference_over(d, c);
            }
    }
    return screen;
}

void expect_screen(ZR_Win_Headless &win, const std::vector<ZR_Pix_A32> &ref)
{
    int bad = 0;
    for (int y = 0; y < win.height; ++y)
        for (int x = 0; x < win.width; ++x)
            if (!same(win.screen.row(y)[x], ref[(size_t)y * win.width + x]) && bad++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y;
    EXPECT_EQ(bad, 0);
}

} // namespace

TEST(WinTiles, GridLinksAndClipping)
{
    ZR_Win_Headless win(200, 150);
    EXPECT_EQ(win.columns, 4);
    EXPECT_EQ(win.rows, 3);
    Solid a(60, 0, 10, 10, OPAQUE_GREY);
    ZR_Win::attach(&a, &win);
    ASSERT_EQ(a.link_count, 2);
    EXPECT_EQ(a.links[0].tile, &win.tiles[0]);
    EXPECT_EQ(a.links[1].tile, &win.tiles[1]);
    EXPECT_EQ(win.widgets.count, 1);

    // Reaching past the grid links only existing tiles; re-attaching to the
    // same window rebuilds the set instead of doubling it.
    Solid b(190, 140, 100, 100, OPAQUE_GREY);
    ZR_Win::attach(&b, &win);
    ZR_Win::attach(&b, &win);
    ASSERT_EQ(b.link_count, 2);
    EXPECT_EQ(b.links[0].tile, &win.tiles[2 + 2 * 4]);
    EXPECT_EQ(b.links[1].tile, &win.tiles[3 + 2 * 4]);
    EXPECT_EQ(win.tiles[11].count, 1);
    EXPECT_EQ(win.widgets.count, 2);

    // Moving to another window leaves no trace in the first.
    ZR_Win_Headless other(64, 64);
    Solid c(0, 0, 64, 64, OPAQUE_GREY);
    ZR_Win::attach(&c, &win);
    ZR_Win::attach(&c, &other);
    EXPECT_EQ(win.tiles[0].count, 1);
    EXPECT_EQ(other.tiles[0].count, 1);
    EXPECT_EQ(c.window, &other);
    ZR_Win::attach(&c, nullptr);
    EXPECT_EQ(other.tiles[0].count, 0);
    EXPECT_EQ(c.links, nullptr);
}

TEST(WinPaint, TwelveCopiesBottomRowFirstAndContentMatchesReference)
{
    ZR_Win_Headless win(200, 150);
    Solid bg(0, 0, 200, 150, OPAQUE_GREY);
    bg.replace = true;
    Solid half(30, 20, 120, 100, px(200, 40, 10, 128));
    Solid top(100, 60, 70, 70, px(10, 250, 30, 200));
    for (Solid *s : {&bg, &half, &top})
        ZR_Win::attach(s, &win);
    win.paint({0, 0, 200, 150});
    ASSERT_EQ(win.copies.size(), 12u);
    const int expected_rows[] = {2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(win.copies[i].top, 64 * expected_rows[i]) << i;
        EXPECT_EQ(win.copies[i].left, 64 * (i % 4)) << i;
    }
    EXPECT_EQ(win.copies[0].bottom, 150);
    EXPECT_EQ(win.copies[3].right, 200);
    expect_screen(win, reference_screen(win, {&bg, &half, &top}));

    // A small update composes only its tiles.
    win.copies.clear();
    win.paint({70, 70, 80, 80});
    ASSERT_EQ(win.copies.size(), 1u);
    EXPECT_EQ(win.copies[0].left, 70);
    EXPECT_EQ(win.copies[0].bottom, 80);
}

TEST(WinPaint, RandomLayoutsMatchTheWholeWidgetReference)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        const int w = 1 + rng() % 230, h = 1 + rng() % 180;
        ZR_Win_Headless win(w, h);
        std::vector<std::unique_ptr<Solid>> owned;
        std::vector<Solid *> order;
        owned.emplace_back(new Solid(0, 0, w, h, OPAQUE_GREY));
        owned.back()->replace = true;
        for (int i = 0; i < 6; ++i) {
            int l = rng() % w, t = rng() % h;
            owned.emplace_back(new Solid(l, t, 1 + rng() % (w - l), 1 + rng() % (h - t),
                                         px(rng() % 256, rng() % 256, rng() % 256, rng() % 256)));
            owned.back()->enabled = rng() % 4 != 0;
            owned.back()->visible = rng() % 5 != 0;
        }
        for (auto &s : owned) {
            ZR_Win::attach(s.get(), &win);
            order.push_back(s.get());
        }
        win.hovered = order[1 + rng() % 6];
        win.paint({0, 0, w, h});
        expect_screen(win, reference_screen(win, order));
        // A partial update over a full paint changes nothing.
        int l = rng() % w, t = rng() % h;
        win.paint({l, t, l + 1 + (int)(rng() % (w - l)), t + 1 + (int)(rng() % (h - t))});
        expect_screen(win, reference_screen(win, order));
        win.hovered = nullptr;
    }
}

TEST(WinPaint, TintFactorsAndTheDisabledFactorWinning)
{
    struct Case {
        ZR_Pix_A32 in;
        double f;
        ZR_Pix_A32 out;
    };
    const Case cases[] = {
        {px(100, 200, 10, 255), 1.5, px(150, 255, 15, 255)}, // opaque: colours brighten
        {px(100, 200, 10, 171), 1.5, px(150, 255, 15, 171)}, // 256.5 > 255
        {px(100, 200, 10, 170), 1.5, px(100, 200, 10, 255)}, // exactly 255: alpha
        {px(100, 200, 10, 100), 1.5, px(100, 200, 10, 150)},
        {px(100, 200, 10, 255), 0.4, px(100, 200, 10, 102)},
        {px(1, 2, 3, 0), 1.5, px(1, 2, 3, 0)},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(same(zr_win_tint(c.in, c.f), c.out)) << c.f << " " << (int)c.in.alpha;

    ZR_Win_Headless win(64, 64);
    Solid bg(0, 0, 64, 64, px(0, 0, 0, 255));
    bg.replace = true;
    Solid knob(0, 0, 10, 10, px(200, 0, 0, 255));
    ZR_Win::attach(&bg, &win);
    ZR_Win::attach(&knob, &win);
    knob.enabled = 0;
    win.hovered = &knob;
    win.paint({0, 0, 64, 64});
    // Disabled and hovered: drawn at 0.4 of its opacity (over black).
    ZR_Pix_A32 expect = reference_over(px(0, 0, 0, 255), reference_tint(px(199, 0, 0, 254), 0.4));
    EXPECT_TRUE(same(win.screen.row(5)[5], expect));
}

TEST(WinPointer, HitOrderHoverCaptureAndDrag)
{
    // Hover needs exact knobs or buttons: a solid hoverable stand-in.
    struct Knobish : Solid {
        using Solid::Solid;
        bool hoverable() const override { return true; }
        void press(int x, int y) override { presses.push_back({x, y}); }
        void drag(int x, int y) override { drags.push_back({x, y}); }
        void release() override { ++releases; }
        std::vector<std::pair<int, int>> presses, drags;
        int releases = 0;
    };
    ZR_Win_Headless win(200, 150);
    Solid bg(0, 0, 200, 150, OPAQUE_GREY);
    bg.replace = true;
    Knobish knob(60, 40, 64, 64, px(255, 0, 0, 255));
    Solid label(100, 80, 50, 20, px(0, 0, 255, 255)); // attached later: on top
    Solid ghost(0, 0, 30, 30, OPAQUE_GREY, false);
    for (Solid *s : std::initializer_list<Solid *>{&bg, &knob, &label, &ghost})
        ZR_Win::attach(s, &win);

    EXPECT_EQ(win.widget_at(60, 40), &knob);
    EXPECT_EQ(win.widget_at(59, 40), &bg);
    EXPECT_EQ(win.widget_at(124, 40), &bg); // left + width is outside
    EXPECT_EQ(win.widget_at(110, 90), &label);
    EXPECT_EQ(win.widget_at(5, 5), &bg); // ghost does not hit
    label.visible = 0;
    EXPECT_EQ(win.widget_at(110, 90), &knob);
    label.visible = 1;

    win.on_mouse_move(70, 50);
    EXPECT_EQ(win.leave_requests, 1);
    EXPECT_EQ(win.hovered.load(), &knob);
    // Over the label on top of the knob: not hoverable, so nothing.
    win.copies.clear();
    win.on_mouse_move(110, 90);
    EXPECT_EQ(win.hovered.load(), nullptr);
    // The knob's rectangle redrawn once, untinted: tiles (0..1) x (0..1).
    EXPECT_EQ(win.copies.size(), 4u);
    EXPECT_TRUE(same(win.screen.row(50)[70], reference_over(OPAQUE_GREY, knob.colour)));

    // Press on the background: capture, no widget.
    win.on_mouse_move(5, 5);
    win.on_button_down(5, 5);
    EXPECT_TRUE(win.pointer_captured);
    EXPECT_EQ(win.captured.load(), nullptr);
    win.on_button_up();
    EXPECT_FALSE(win.pointer_captured);

    // Press on the knob, drag off the window to the left: negative x.
    win.on_mouse_move(70, 50);
    win.on_button_down(70, 50);
    ASSERT_EQ(win.captured.load(), &knob);
    EXPECT_EQ(knob.presses.back(), std::make_pair(10, 10));
    win.on_mouse_move(-20, 300);
    EXPECT_EQ(knob.drags.back(), std::make_pair(-80, 260));
    EXPECT_EQ(win.hovered.load(), &knob); // unchanged during a drag
    // Leaving the window ends the drag like a release.
    win.on_leave();
    EXPECT_EQ(knob.releases, 1);
    EXPECT_EQ(win.captured.load(), nullptr);
    win.on_mouse_move(-20, 300);
    EXPECT_EQ(knob.drags.size(), 1u);
    EXPECT_EQ(win.leave_requests, 1); // requested once

    // A disabled knob is hovered but takes no press.
    knob.enabled = 0;
    win.on_mouse_move(5, 5);
    win.on_mouse_move(70, 50);
    EXPECT_EQ(win.hovered.load(), &knob);
    win.on_button_down(70, 50);
    EXPECT_EQ(win.captured.load(), nullptr);
    EXPECT_EQ(knob.presses.size(), 1u);
    win.on_button_up();
    EXPECT_EQ(knob.releases, 1);
}

TEST(WinLifetime, DestructionUnlinksEveryWidgetAndDetachForgetsHover)
{
    Solid a(0, 0, 200, 150, OPAQUE_GREY), b(10, 10, 100, 100, OPAQUE_GREY);
    {
        ZR_Win_Headless win(200, 150);
        ZR_Win::attach(&a, &win);
        ZR_Win::attach(&b, &win);
        win.hovered = &b;
        win.captured = &b;
        ZR_Win::attach(&b, nullptr);
        EXPECT_EQ(win.hovered.load(), nullptr);
        EXPECT_EQ(win.captured.load(), nullptr);
        ZR_Win::attach(&b, &win);
    }
    EXPECT_EQ(a.link_count, 0);
    EXPECT_EQ(a.links, nullptr);
    EXPECT_EQ(b.link_count, 0);
    a.window = b.window = nullptr; // the window's reference is stale
}

TEST(WinPaint, HeldPaintLockSkipsThePaintAfterTheLimit)
{
    // While one thread paints, another gives up after the limit instead of
    // waiting for ever, and paints nothing.
    struct Blocking : Solid {
        using Solid::Solid;
        std::atomic<int> state{0};
        void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override
        {
            state = 1;
            while (state.load() != 2)
                std::this_thread::yield();
            Solid::draw(dst, x, y, src);
        }
    };
    ZR_Win_Headless win(64, 64);
    win.record_copies = false;
    Blocking b(0, 0, 64, 64, OPAQUE_GREY);
    ZR_Win::attach(&b, &win);
    std::thread painter([&] { win.paint({0, 0, 64, 64}); });
    while (b.state.load() != 1)
        std::this_thread::yield();
    auto t0 = std::chrono::steady_clock::now();
    win.paint({0, 0, 64, 64}); // skipped: draw is not reentered
    auto waited = std::chrono::steady_clock::now() - t0;
    b.state = 2;
    painter.join();
    EXPECT_GE(waited, std::chrono::milliseconds(990));
    EXPECT_EQ(b.draws, 1);
}
