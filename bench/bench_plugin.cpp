// processReplacing cost per sample at 48 kHz, beside three float biquads in
// direct form (the per-sample recurrence limit of a sixth-order cascade).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "vst/vst_entry.h"

namespace {

intptr_t host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<float> test_noise(size_t n)
{
    std::vector<float> s(n);
    uint32_t x = 1;
    for (float &v : s) {
        x = x * 1664525u + 1013904223u;
        v = (float)((double)x / 4294967296.0 - 0.5);
    }
    return s;
}

void BM_PluginProcessReplacing(benchmark::State &state)
{
    const int32_t block = (int32_t)state.range(0);
    AEffect *e = VSTPluginMain(&host);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> in = test_noise((size_t)block), out0(block), out1(block);
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

struct Biquad {
    float b0, b1, b2, a1, a2;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Butterworth low-pass sections of a sixth-order filter at 340 Hz, 48 kHz.
std::vector<Biquad> butterworth6(double fc, double fs)
{
    std::vector<Biquad> s;
    const double w = std::tan(M_PI * fc / fs);
    for (int k = 0; k < 3; ++k) {
        double q = 1.0 / (2.0 * std::sin(M_PI * (2 * k + 1) / 12.0));
        double norm = 1.0 / (1.0 + w / q + w * w);
        double b0 = w * w * norm;
        s.push_back({(float)b0, (float)(2 * b0), (float)b0, (float)(2.0 * (w * w - 1.0) * norm),
                     (float)((1.0 - w / q + w * w) * norm)});
    }
    return s;
}

void BM_ThreeFloatBiquads(benchmark::State &state)
{
    const int32_t block = (int32_t)state.range(0);
    std::vector<Biquad> s = butterworth6(340.0, 48000.0);
    std::vector<float> in = test_noise((size_t)block), out(block);
    for (auto _ : state) {
        Biquad p = s[0], q = s[1], r = s[2];
        for (int32_t i = 0; i < block; ++i) {
            float x = in[i];
            for (Biquad *b : {&p, &q, &r}) {
                float y = b->b0 * x + b->b1 * b->x1 + b->b2 * b->x2 - b->a1 * b->y1 - b->a2 * b->y2;
                b->x2 = b->x1;
                b->x1 = x;
                b->y2 = b->y1;
                b->y1 = y;
                x = y;
            }
            out[i] = x;
        }
        s[0] = p;
        s[1] = q;
        s[2] = r;
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
