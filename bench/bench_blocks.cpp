// processReplacing per kind of host block (48 kHz, 512 frames), timed call by
// call so that parameter calls between blocks stay outside the figure; three
// float biquads in the same harness as the reference.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int32_t BLOCK = 512;
constexpr float RATE = 48000.0f;

enum Kind {
    STEADY,
    AUTOMATION, // a new Frequency value before every block
    GLIDE,      // a jump across most of the range every 4 blocks
    TOGGLE_8,   // State switched every 8 blocks
    CROSSFADE,  // State switched before every block
    AFTER_RATE, // effSetSampleRate before every block
    GLIDE_FADE, // gliding while State switches every block
    KIND_COUNT
};

// Host calls between blocks for block number i.
void between_blocks(AEffect *e, Kind kind, int64_t i)
{
    switch (kind) {
    case STEADY:
        break;
    case AUTOMATION: // a slow ramp, as a host plays automation
        e->setParameter(e, 1, 0.3f + 0.2f * (float)(i % 1000) / 1000.0f);
        break;
    case GLIDE:
        if (i % 4 == 0)
            e->setParameter(e, 1, (i / 4) % 2 ? 0.1f : 0.9f);
        break;
    case TOGGLE_8:
        if (i % 8 == 0)
            e->setParameter(e, 0, (i / 8) % 2 ? 0.0f : 1.0f);
        break;
    case CROSSFADE:
        e->setParameter(e, 0, i % 2 ? 0.0f : 1.0f);
        break;
    case AFTER_RATE:
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, RATE);
        break;
    case GLIDE_FADE:
        if (i % 4 == 0)
            e->setParameter(e, 1, (i / 4) % 2 ? 0.1f : 0.9f);
        e->setParameter(e, 0, i % 2 ? 0.0f : 1.0f);
        break;
    case KIND_COUNT:
        break;
    }
}

void report(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * BLOCK);
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * BLOCK,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BlockKind(benchmark::State &state)
{
    const Kind kind = (Kind)state.range(0);
    AEffect *e = VSTPluginMain(&bench_host);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, RATE);
    e->dispatcher(e, effSetBlockSize, 0, BLOCK, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    e->setParameter(e, 1, 0.35f);
    std::vector<float> in = bench_noise(BLOCK), out0(BLOCK), out1(BLOCK);
    float *ins[] = {in.data()};
    float *outs[] = {out0.data(), out1.data()};
    for (int i = 0; i < 16; ++i) // past the start and its first glide
        e->processReplacing(e, ins, outs, BLOCK);
    int64_t i = 0;
    for (auto _ : state) {
        between_blocks(e, kind, i++);
        const auto t0 = std::chrono::steady_clock::now();
        e->processReplacing(e, ins, outs, BLOCK);
        const auto t1 = std::chrono::steady_clock::now();
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    report(state);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_BlockKind)
    ->ArgName("kind")
    ->DenseRange(0, KIND_COUNT - 1)
    ->UseManualTime()
    ->Iterations(20000);

// The same timing around one block of three biquads in one loop, their state
// in locals (0) or in the section objects (1).
void BM_BlockThreeBiquads(benchmark::State &state)
{
    std::vector<Biquad> s = butterworth6(1000.0, RATE);
    std::vector<float> in = bench_noise(BLOCK), out(BLOCK);
    const bool in_place = state.range(0) == 1;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (in_place)
            run_three_biquads_in_place(s, in.data(), out.data(), BLOCK);
        else
            run_three_biquads(s, in.data(), out.data(), BLOCK);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    report(state);
}
BENCHMARK(BM_BlockThreeBiquads)
    ->ArgName("state_in_objects")
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(20000);

} // namespace

namespace {

// A live host's callback: N instances, each fed its own channel, 256 frames
// at 48 kHz, the outputs summed. core_share is the part of one core the
// callback takes (1.0: the whole 5.3 ms between callbacks).
void BM_Instances(benchmark::State &state)
{
    constexpr int32_t FRAMES = 256;
    const int n = (int)state.range(0);
    std::vector<AEffect *> fx;
    std::vector<std::vector<float>> in, out0, out1;
    for (int i = 0; i < n; ++i) {
        AEffect *e = VSTPluginMain(&bench_host);
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, RATE);
        e->dispatcher(e, effSetBlockSize, 0, FRAMES, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
        e->setParameter(e, 1, 0.2f + 0.6f * (float)i / 32.0f);
        fx.push_back(e);
        std::vector<float> s = bench_noise((size_t)FRAMES * (size_t)(i + 2));
        in.emplace_back(s.end() - FRAMES, s.end());
        out0.emplace_back(FRAMES);
        out1.emplace_back(FRAMES);
    }
    std::vector<float> left(FRAMES), right(FRAMES);
    auto callback = [&] {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        for (int i = 0; i < n; ++i) {
            float *ins[] = {in[i].data()};
            float *outs[] = {out0[i].data(), out1[i].data()};
            fx[i]->processReplacing(fx[i], ins, outs, FRAMES);
            for (int32_t j = 0; j < FRAMES; ++j) {
                left[j] += out0[i][j];
                right[j] += out1[i][j];
            }
        }
    };
    for (int i = 0; i < 32; ++i) // past the start and the first glides
        callback();
    for (auto _ : state) {
        callback();
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    const double samples = (double)state.iterations() * FRAMES * n;
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_share"] =
        benchmark::Counter((double)state.iterations() * FRAMES / RATE,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    for (AEffect *e : fx)
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_Instances)->ArgName("instances")->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Arg(32);

} // namespace
