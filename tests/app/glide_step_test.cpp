// The glide's step against its plain statement (a logarithm and a power of
// two every time), for ratios far from, near and exactly at one step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "app/frequency_glide.h"

namespace {

double plain_step(double current, double target, int32_t rate)
{
    if (rate <= 0 || !(target > 0.0))
        return target;
    const double max_step = FrequencyGlide::OCTAVES_PER_SECOND * FrequencyGlide::TICK / rate;
    const double distance = std::log2(target / current);
    if (std::fabs(distance) <= max_step)
        return target;
    return current * std::exp2(distance > 0 ? max_step : -max_step);
}

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(GlideStep, EqualsThePlainStepEverywhere)
{
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t rate : {8000, 22050, 44100, 48000, 96000, 192000, 0, -1}) {
        GlideStep step;
        step.set_rate(rate);
        const double max_step =
            rate > 0 ? FrequencyGlide::OCTAVES_PER_SECOND * FrequencyGlide::TICK / rate : 0.0;
        for (int i = 0; i < 200000; ++i) {
            const double current = 20.0 * std::exp2(unit(rng) * 10.0);
            double octaves;
            switch (i % 4) {
            case 0: // anywhere
                octaves = (unit(rng) - 0.5) * 20.0;
                break;
            case 1: // within a hair of one step either way
                octaves = (i % 8 == 1 ? 1 : -1) * max_step * (1.0 + (unit(rng) - 0.5) * 1e-8);
                break;
            case 2: // within rounding of one step
                octaves = (i % 8 == 2 ? 1 : -1) * max_step + (unit(rng) - 0.5) * 1e-15;
                break;
            default: // near the target
                octaves = (unit(rng) - 0.5) * 1e-6;
            }
            const double target = current * std::exp2(octaves);
            const double want = plain_step(current, target, rate);
            ASSERT_TRUE(same_bits(step.next(current, target), want))
                << "rate " << rate << " current " << current << " target " << target;
        }
        EXPECT_TRUE(same_bits(step.next(0.0, 100.0), plain_step(0.0, 100.0, rate)));
        EXPECT_TRUE(same_bits(step.next(100.0, 0.0), plain_step(100.0, 0.0, rate)));
    }
}

} // namespace
