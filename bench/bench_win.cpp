// The editor's paint costs on the headless window: a knob value change end to
// end (command, frame, redraw of its tiles) and a full 200 x 236 repaint.
#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "ZR/core/ZR_spcpp.h"

#include <benchmark/benchmark.h>

namespace {

struct Panel {
    ZR_Win_Headless win{200, 236};
    ZR_Object *bg = nullptr, *knob = nullptr, *button = nullptr;
    Panel()
    {
        win.record_copies = false;
        spcpp("ZR_Wid_Pic -w 200 -h 236 -res bgnd", &bg);
        spcpp("ZR_Wid_Knob -w 64 -h 64 -l 68 -t 80 -res big -mn 20 -mx 8333", &knob);
        spcpp("ZR_Wid_Butt -w 40 -h 24 -l 80 -t 180 -res but", &button);
        for (ZR_Object *o : {bg, knob, button})
            spcpp("ZR_Wid %o -win %o", o, &win);
    }
    ~Panel()
    {
        for (ZR_Object *o : {button, knob, bg})
            spcpp("%o -delete", o);
    }
};

void BM_KnobValueChange(benchmark::State &state)
{
    Panel panel;
    double v = 20;
    for (auto _ : state) {
        v = v > 8000 ? 20 : v + 31.5;
        spcpp("%o -val %f", panel.knob, v);
    }
}
BENCHMARK(BM_KnobValueChange);

void BM_FullRepaint(benchmark::State &state)
{
    Panel panel;
    for (auto _ : state)
        panel.win.paint({0, 0, 200, 236});
}
BENCHMARK(BM_FullRepaint);

} // namespace
