// The cutoff glide: bounded peaks during jumps, settling within 250 ms, and
// no effect while the Frequency holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin_host.h"

namespace {

constexpr double kRate = 48000.0;
constexpr size_t kBefore = 24000; // 0.5 s at the old value
constexpr size_t kAfter = 24000;  // 0.5 s after the jump
constexpr size_t kSettle = 12000; // 250 ms

struct Signal {
    std::string name;
    std::vector<float> samples;
};

std::vector<Signal> signals()
{
    const size_t n = kBefore + kAfter;
    std::vector<float> mixed = sine(n, 60.0, kRate, 0.25);
    std::vector<float> high = sine(n, 3000.0, kRate, 0.25);
    for (size_t i = 0; i < n; ++i)
        mixed[i] += high[i];
    return {{"sine 100 Hz", sine(n, 100.0, kRate, 0.5)},
            {"sine 1 kHz", sine(n, 1000.0, kRate, 0.5)},
            {"sine 60 Hz + 3 kHz", mixed},
            {"noise", noise(n, 0.5, 99)},
            {"square 50 Hz", square(n, 50.0, kRate, 0.5)},
            {"square 440 Hz", square(n, 440.0, kRate, 0.5)}};
}

struct JumpResult {
    float peak_during = 0.0f;   // largest |output| from the jump on
    double error_settled = 0.0; // largest difference from the fresh instance after 250 ms
};

JumpResult jump(float from, float to, int32_t block, const std::vector<float> &in)
{
    Plugin a, fresh;
    a.set(1, from);
    fresh.set(1, to);
    a.start((float)kRate, block);
    fresh.start((float)kRate, block);
    std::vector<float> head(in.begin(), in.begin() + kBefore);
    std::vector<float> tail(in.begin() + kBefore, in.end());
    a.run(head, {block});
    std::vector<float> ref_head = fresh.run(head, {block});
    a.set(1, to);
    EXPECT_FLOAT_EQ(a.get(1), to);
    std::vector<float> out = a.run(tail, {block});
    std::vector<float> ref = fresh.run(tail, {block});
    JumpResult r;
    for (size_t i = 0; i < out.size(); ++i) {
        r.peak_during = std::max(r.peak_during, std::fabs(out[i]));
        if (i >= kSettle)
            r.error_settled = std::max(r.error_settled, std::fabs((double)out[i] - ref[i]));
    }
    return r;
}

std::vector<std::pair<float, float>> jump_pairs()
{
    std::vector<std::pair<float, float>> pairs = {{0.0f, 1.0f},  {1.0f, 0.0f}, {1.0f, 0.05f},
                                                  {0.05f, 1.0f}, {0.5f, 0.0f}, {0.2f, 0.9f}};
    uint32_t x = 12345;
    for (int i = 0; i < 4; ++i) {
        x = x * 1664525u + 1013904223u;
        float a = (float)(x >> 8) / 16777216.0f;
        x = x * 1664525u + 1013904223u;
        float b = (float)(x >> 8) / 16777216.0f;
        pairs.push_back({a, b});
    }
    return pairs;
}

class GlideJump : public testing::TestWithParam<int32_t> {};

TEST_P(GlideJump, PeaksStayBoundedAndOutputSettlesWithin250ms)
{
    const int32_t block = GetParam();
    float worst_peak = 0.0f;
    double worst_error = 0.0;
    for (const Signal &s : signals()) {
        for (auto [from, to] : jump_pairs()) {
            JumpResult r = jump(from, to, block, s.samples);
            EXPECT_LE(r.peak_during, 0.75f) << s.name << " " << from << " -> " << to;
            EXPECT_LT(r.error_settled, 1e-3) << s.name << " " << from << " -> " << to;
            worst_peak = std::max(worst_peak, r.peak_during);
            worst_error = std::max(worst_error, r.error_settled);
        }
    }
    RecordProperty("worst_peak", std::to_string(worst_peak));
    RecordProperty("worst_error_after_250ms", std::to_string(worst_error));
    std::printf("block %d: worst peak %.4f, worst difference after 250 ms %.2e\n", block,
                worst_peak, worst_error);
}

INSTANTIATE_TEST_SUITE_P(HostBlocks, GlideJump, testing::Values(1, 64, 512, 4096));

// Time until the glided output stays within 1e-3 of a fresh instance, in ms.
TEST(GlideSettle, ReportsSettleTimes)
{
    std::vector<float> in = noise(kBefore + kAfter, 0.5, 3);
    for (auto [from, to] : std::vector<std::pair<float, float>>{
             {0.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 0.05f}, {0.05f, 1.0f}, {0.3f, 0.35f}}) {
        Plugin a, fresh;
        a.set(1, from);
        fresh.set(1, to);
        a.start((float)kRate, 256);
        fresh.start((float)kRate, 256);
        std::vector<float> head(in.begin(), in.begin() + kBefore);
        std::vector<float> tail(in.begin() + kBefore, in.end());
        a.run(head, {256});
        fresh.run(head, {256});
        a.set(1, to);
        std::vector<float> out = a.run(tail, {256}), ref = fresh.run(tail, {256});
        size_t last = 0;
        for (size_t i = 0; i < out.size(); ++i)
            if (std::fabs((double)out[i] - ref[i]) >= 1e-3)
                last = i + 1;
        std::printf("%.2f -> %.2f settles in %.1f ms\n", from, to, last * 1000.0 / kRate);
        EXPECT_LE(last, kSettle);
    }
}

} // namespace

namespace {

TEST(GlideRepeated, JumpsDuringAGlideStayBounded)
{
    for (int32_t block : {1, 64, 512, 4096}) {
        Plugin p;
        p.start((float)kRate, block);
        std::vector<float> in = square(48000, 45.0, kRate, 0.5);
        std::vector<float> n = noise(48000, 0.5, 5);
        float peak = 0.0f;
        uint32_t x = 77;
        for (size_t pos = 0; pos < in.size(); pos += 960) { // a new value every 20 ms
            x = x * 1664525u + 1013904223u;
            p.set(1, (x >> 31) ? 1.0f : (float)(x >> 8) / 16777216.0f * 0.1f);
            std::vector<float> part(in.begin() + (long)pos, in.begin() + (long)pos + 960);
            if ((pos / 960) % 3 == 0)
                part.assign(n.begin() + (long)pos, n.begin() + (long)pos + 960);
            for (float v : p.run(part, {block}))
                peak = std::max(peak, std::fabs(v));
        }
        EXPECT_LE(peak, 0.75f) << block;
        std::printf("block %d: peak with a jump every 20 ms %.4f\n", block, peak);
    }
}

} // namespace
