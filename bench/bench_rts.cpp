// copyBuffer per sample for the pairs a live host runs every block, next to
// a plain memcpy of the same block as the memory-speed yardstick.
#include "ZR/Rts/ZR_Rts.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

void copy_block(benchmark::State &state, uint32_t to, uint32_t from)
{
    const int frames = (int)state.range(0);
    std::vector<unsigned char> src((size_t)frames * 8), dst((size_t)frames * 8);
    for (size_t i = 0; i + 4 <= src.size(); i += 4) {
        float x = (float)((int)(i % 2001) - 1000) / 1100.0f; // within and beyond full scale
        if (from == 0x1002004)
            std::memcpy(&src[i], &x, 4);
        else
            std::memcpy(&src[i], &i, 4); // any bits are valid integer samples
    }
    ZR_Rts::Chan s("source", from, frames), d("destination", to, frames);
    s.data = src.data();
    d.data = dst.data();
    ZR_Rts::clear_refusal();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZR_Rts::copyBuffer(&d, &s));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void memcpy_block(benchmark::State &state)
{
    const size_t frames = (size_t)state.range(0);
    std::vector<float> src(frames, 0.25f), dst(frames);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), frames * sizeof(float));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)frames);
}

} // namespace

BENCHMARK_CAPTURE(copy_block, float_to_float, 0x1002004, 0x1002004)->Arg(256)->Arg(4096);
BENCHMARK_CAPTURE(copy_block, int16_stereo_to_float, 0x1002004, 0x1004)->Arg(256)->Arg(4096);
BENCHMARK_CAPTURE(copy_block, float_to_int24_in_4, 0x081804, 0x1002004)->Arg(256)->Arg(4096);
BENCHMARK(memcpy_block)->Arg(256)->Arg(4096);
