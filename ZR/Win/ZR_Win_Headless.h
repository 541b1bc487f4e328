// The headless window: paints into a memory surface of the window's size and
// records every tile copy, so tests can read what a screen would show.
#pragma once
#include "ZR/Win/ZR_Win.h"

#include <vector>

class ZR_Win_Headless : public ZR_Win {
public:
    ZR_Win_Headless(int width, int height);

    // Paints at once, on the calling thread.
    void redraw(const ZR_Rect &rect) override;

    // What the screen shows (width x height, transparent black at first).
    ZR_Pic<ZR_Pix_A32> screen;
    // Clip of every tile copy since the last clear (tests only; grows).
    std::vector<ZR_Rect> copies;
    bool record_copies = true;
    int leave_requests = 0;
    bool pointer_captured = false;

protected:
    void present(const ZR_Rect &clip, int sx, int sy) override;
    void track_leave() override { ++leave_requests; }
    void capture_pointer(bool on) override { pointer_captured = on; }
};
