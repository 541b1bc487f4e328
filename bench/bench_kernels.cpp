// Cost per sample of every kernel family at the pipe's block length (512), and of the filters
// at 64.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "ZR/dsp/kernels/ZR_kernels.h"

namespace {

std::vector<int32_t> noise(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int32_t> dist(-(1 << 30), 1 << 30);
    std::vector<int32_t> v(n);
    for (auto &s : v)
        s = dist(gen);
    return v;
}

// Runs body() once per iteration over a block of range(0) samples.
template <class Body>
void per_sample(benchmark::State &state, Body body)
{
    for (auto _ : state) {
        body();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_lowpass1(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 1);
    std::vector<int32_t> out(n);
    const uint32_t alpha = 535616699u;
    int32_t b = 0;
    per_sample(state, [&] { kernel_lowpass1[ZR_MODE_ADD](in.data(), out.data(), n, alpha, b); });
}
BENCHMARK(BM_lowpass1)->Arg(64)->Arg(512);

void BM_hipass1(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 2);
    std::vector<int32_t> out(n);
    int32_t b = 0;
    per_sample(state, [&] { kernel_hipass1(in.data(), out.data(), n, 535616699u, b); });
}
BENCHMARK(BM_hipass1)->Arg(512);

void BM_bandpass2(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 3);
    std::vector<int32_t> out(n);
    int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    per_sample(state, [&] {
        kernel_bandpass2[ZR_MODE_SUB](in.data(), out.data(), n, 163171923, 285650544, 142825272, x1,
                                      x2, y1, y2);
    });
}
BENCHMARK(BM_bandpass2)->Arg(64)->Arg(512);

// The fused cascade on each path (vector: skipped where the CPU lacks it), steady and with a new
// coefficient set every 16 samples; coefficients of a band-pass near 1 kHz at 48 kHz.
void cascade_block(benchmark::State &state, bool vector, bool planned)
{
    const ZR_kernel_cascade4_fn steady = vector ? kernel_cascade4_vector() : kernel_cascade4_scalar;
    const ZR_kernel_cascade4_planned_fn stepped =
        vector ? kernel_cascade4_planned_vector() : kernel_cascade4_planned_scalar;
    if (!steady || !stepped) {
        state.SkipWithError("no AVX-512 F/DQ/VL");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 4);
    std::vector<int32_t> mid(n), out(n);
    ZR_cascade4_state s{};
    for (int i = 0; i < 2; ++i) {
        s.low[i].alpha = 535616699u;
        s.band[i] = {163171923, 285650544, 142825272, 0, 0, 0, 0};
    }
    std::vector<ZR_cascade4_step> plan;
    for (int end = 16; end <= n; end += 16) {
        const int32_t d = (end / 16) * 1000;
        plan.push_back({end,
                        {535616699u, 535616699u},
                        {163171923 + d, 163171923 + d},
                        {285650544, 285650544},
                        {142825272 - d, 142825272 - d}});
    }
    if (planned)
        per_sample(state, [&] {
            stepped(in.data(), mid.data(), out.data(), plan.data(), (int)plan.size(), s);
        });
    else
        per_sample(state, [&] { steady(in.data(), mid.data(), out.data(), n, s); });
}
BENCHMARK_CAPTURE(cascade_block, scalar_steady, false, false)->Arg(512);
BENCHMARK_CAPTURE(cascade_block, vector_steady, true, false)->Arg(512);
BENCHMARK_CAPTURE(cascade_block, scalar_planned, false, true)->Arg(512);
BENCHMARK_CAPTURE(cascade_block, vector_planned, true, true)->Arg(512);

void BM_copy(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(2 * n, 4);
    std::vector<int32_t> out(n);
    per_sample(state, [&] { kernel_copy[ZR_MODE_ADD](in.data(), out.data(), n, 2, 1); });
}
BENCHMARK(BM_copy)->Arg(512);

void BM_binary(benchmark::State &state, const ZR_kernel_binary_fn *table)
{
    const int n = static_cast<int>(state.range(0));
    auto a = noise(n, 5), b = noise(n, 6);
    std::vector<int32_t> out(n);
    per_sample(state, [&] { table[ZR_MODE_ADD](a.data(), b.data(), out.data(), n); });
}
BENCHMARK_CAPTURE(BM_binary, add, kernel_add)->Arg(512);
BENCHMARK_CAPTURE(BM_binary, sub, kernel_sub)->Arg(512);
BENCHMARK_CAPTURE(BM_binary, mul, kernel_mul)->Arg(512);
BENCHMARK_CAPTURE(BM_binary, div, kernel_div)->Arg(512);

void BM_const(benchmark::State &state, const ZR_kernel_const_fn *table)
{
    const int n = static_cast<int>(state.range(0));
    auto a = noise(n, 7);
    std::vector<int32_t> out(n);
    per_sample(state, [&] { table[ZR_MODE_ADD](a.data(), out.data(), n, 16909320); });
}
BENCHMARK_CAPTURE(BM_const, addk, kernel_addk)->Arg(512);
BENCHMARK_CAPTURE(BM_const, subk, kernel_subk)->Arg(512);
BENCHMARK_CAPTURE(BM_const, mulk, kernel_mulk)->Arg(512);
BENCHMARK_CAPTURE(BM_const, divk, kernel_divk)->Arg(512);

void BM_envelope(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 8);
    std::vector<int32_t> out(n), rect(n);
    int32_t e = 0;
    per_sample(state, [&] {
        kernel_envelope[ZR_MODE_SET](in.data(), out.data(), rect.data(), n, 1 << 28, 1 << 22, e);
    });
}
BENCHMARK(BM_envelope)->Arg(512);

void BM_softclip(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 9);
    std::vector<int32_t> out(n);
    int32_t e = 0;
    per_sample(state, [&] {
        kernel_softclip(in.data(), out.data(), n, e, 1 << 23, 1 << 22, 1 << 26, 1, 0);
    });
}
BENCHMARK(BM_softclip)->Arg(512);

// An echo and a four-tap comb: two groups, five taps.
void BM_tapnet(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    auto in = noise(n, 10);
    std::vector<int32_t> out1(n), out2(n), ring(65536);
    uint16_t p = 0;
    const std::vector<ZR_tap_entry> program = {4410,
                                               INT32_MAX,
                                               -1,
                                               8388607,
                                               reinterpret_cast<ZR_tap_entry>(out1.data()),
                                               1 << 22,
                                               1116,
                                               1 << 29,
                                               1188,
                                               1 << 29,
                                               1277,
                                               1 << 29,
                                               1356,
                                               1 << 29,
                                               -1,
                                               8388607,
                                               reinterpret_cast<ZR_tap_entry>(out2.data()),
                                               3 << 21};
    per_sample(state, [&] {
        kernel_tapnet[ZR_MODE_ADD](in.data(), n, ring.data(), p, program.data(),
                                   static_cast<int>(program.size()));
    });
}
BENCHMARK(BM_tapnet)->Arg(512);

// 512 samples: order 8 gives 512 complex points. The cost does not depend on the values, so the
// data is transformed again and again without being refreshed.
void BM_fft(benchmark::State &state, bool forward)
{
    kernel_twiddle_init();
    const int n = static_cast<int>(state.range(0));
    const int L = 8;
    auto data = noise(2 * n, 11);
    per_sample(state, [&] {
        if (forward)
            kernel_fft_forward(data.data(), L);
        else
            kernel_fft_backward(data.data(), L);
    });
}
BENCHMARK_CAPTURE(BM_fft, forward, true)->Arg(512);
BENCHMARK_CAPTURE(BM_fft, backward, false)->Arg(512);

void BM_ticks(benchmark::State &state)
{
    uint32_t last = 0, delta = 0;
    for (auto _ : state) {
        kernel_ticks(last, delta);
        benchmark::DoNotOptimize(delta);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ticks);

} // namespace
