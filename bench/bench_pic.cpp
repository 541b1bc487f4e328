// Compositing, the inner loop of every repaint: one 64 x 64 tile of the
// panel background blended, one 64 x 64 knob frame drawn from its blocks.
// The "per_pixel" counter is the time per destination pixel.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/core/ZR_cfuncs.h"
#include "tools/artwork/vemo_resources.h"

#include <benchmark/benchmark.h>

namespace {

void set_per_pixel(benchmark::State &state, int pixels)
{
    state.SetItemsProcessed(state.iterations() * pixels);
    state.counters["per_pixel"] =
        benchmark::Counter((double)pixels, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

void BM_BlendTile64(benchmark::State &state)
{
    ZR_Pic_Base<ZR_Pix_A32> bgnd;
    bgnd.map(ZR_resource("bgnd"));
    ZR_Pic<ZR_Pix_A32> tile;
    tile.resize(64, 64);
    // The background wraps: 63 columns then one more, as on the panel.
    for (auto _ : state) {
        ZR_Pic_Base<ZR_Pix_A32>::blend(bgnd, tile, 0, 0, {64, 0, 128, 64});
        benchmark::DoNotOptimize(tile.pixels);
        benchmark::ClobberMemory();
    }
    set_per_pixel(state, 64 * 64);
}
BENCHMARK(BM_BlendTile64);

void BM_DrawKnobFrame64(benchmark::State &state)
{
    ZR_Vid big;
    big.map(ZR_resource("big"));
    ZR_Pic<ZR_Pix_A32> tile;
    tile.resize(64, 64);
    int frame = 0;
    for (auto _ : state) {
        big.draw(frame, tile, 0, 0, {0, 0, 64, 64});
        frame = frame == 264 ? 0 : frame + 1;
        benchmark::DoNotOptimize(tile.pixels);
        benchmark::ClobberMemory();
    }
    set_per_pixel(state, 64 * 64);
}
BENCHMARK(BM_DrawKnobFrame64);

} // namespace
