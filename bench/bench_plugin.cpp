// processReplacing cost per sample at 48 kHz, beside three float biquads in
// direct form (the per-sample recurrence limit of a sixth-order cascade).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/bench_support.h"

namespace {

void BM_PluginProcessReplacing(benchmark::State &state)
{
    const int32_t block = (int32_t)state.range(0);
    AEffect *e = VSTPluginMain(&bench_host);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> in = bench_noise((size_t)block), out0(block), out1(block);
    float *ins[] = {in.data()};
    float *outs[] = {out0.data(), out1.data()};
    for (auto _ : state) {
        e->processReplacing(e, ins, outs, block);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * block,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_PluginProcessReplacing)->Arg(64)->Arg(512)->Arg(4096);

void BM_ThreeFloatBiquads(benchmark::State &state)
{
    const int32_t block = (int32_t)state.range(0);
    std::vector<Biquad> s = butterworth6(340.0, 48000.0);
    std::vector<float> in = bench_noise((size_t)block), out(block);
    for (auto _ : state) {
        run_three_biquads(s, in.data(), out.data(), block);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * block,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ThreeFloatBiquads)->Arg(64)->Arg(512)->Arg(4096);

} // namespace
