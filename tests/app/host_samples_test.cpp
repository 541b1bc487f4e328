// Host sample conversion: every form against the rule written out in double precision, over
// the edge values, random samples, every short length and unaligned starts.
#include "app/host_samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// Clipped to [-1, 1] with NaN to -1, then 2^30 s truncated; exact in double.
int32_t expected_fixed(float s)
{
    double v = std::isnan(s) ? -1.0 : std::fmax(-1.0, std::fmin(1.0, (double)s));
    return (int32_t)std::trunc(std::ldexp(v, 30));
}

// y / 2^30 is exact in double, so one rounding to float.
float expected_host(int32_t y)
{
    return (float)std::ldexp((double)y, -30);
}

bool same_bits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<const HostSampleForms *> forms()
{
    std::vector<const HostSampleForms *> all{&host_samples_plain()};
    if (host_samples_vector())
        all.push_back(host_samples_vector());
    return all;
}

std::vector<float> edge_and_random_samples(std::mt19937 &gen)
{
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> s{0.0f,
                         -0.0f,
                         1.0f,
                         -1.0f,
                         std::nextafter(1.0f, 2.0f),
                         std::nextafter(-1.0f, -2.0f),
                         std::nextafter(1.0f, 0.0f),
                         std::nextafter(-1.0f, 0.0f),
                         inf,
                         -inf,
                         std::numeric_limits<float>::quiet_NaN(),
                         -std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::denorm_min(),
                         -std::numeric_limits<float>::denorm_min(),
                         std::ldexp(1.0f, -30),
                         -std::ldexp(1.5f, -30),
                         1e30f,
                         -1e30f};
    std::uniform_real_distribution<float> wide(-1.5f, 1.5f);
    std::uniform_int_distribution<uint32_t> bits;
    while (s.size() < 4096) {
        s.push_back(wide(gen));
        uint32_t b = bits(gen);
        float any;
        std::memcpy(&any, &b, sizeof any);
        s.push_back(any);
    }
    return s;
}

TEST(HostSamples, EveryFormFollowsTheRuleBothWays)
{
    std::mt19937 gen(30);
    const std::vector<float> in = edge_and_random_samples(gen);
    std::vector<int32_t> fixed_in(in.size());
    std::uniform_int_distribution<int32_t> any_int(INT32_MIN, INT32_MAX);
    for (int32_t &y : fixed_in)
        y = any_int(gen);
    fixed_in[0] = INT32_MIN;
    fixed_in[1] = INT32_MAX;
    fixed_in[2] = 1 << 30;
    fixed_in[3] = -(1 << 30);

    for (const HostSampleForms *form : forms()) {
        SCOPED_TRACE(form == &host_samples_plain() ? "plain" : "vector");
        std::vector<int32_t> x(in.size(), 7);
        form->to_fixed(in.data(), x.data(), (int32_t)in.size());
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(x[i], expected_fixed(in[i])) << "sample " << i << " = " << in[i];

        std::vector<float> out0(in.size()), out1(in.size());
        form->to_host(fixed_in.data(), out0.data(), out1.data(), (int32_t)in.size());
        for (size_t i = 0; i < in.size(); ++i) {
            ASSERT_TRUE(same_bits(out0[i], expected_host(fixed_in[i]))) << "sample " << i;
            ASSERT_TRUE(same_bits(out1[i], out0[i])) << "sample " << i;
        }
    }
}

// Short and unaligned runs write exactly their n samples, and a missing channel is skipped.
TEST(HostSamples, RunsTouchOnlyTheirOwnSamples)
{
    std::mt19937 gen(31);
    const std::vector<float> source = edge_and_random_samples(gen);
    const float guard = 12345.0f;
    const int32_t fixed_guard = 0x5a5a5a5a;
    for (const HostSampleForms *form : forms()) {
        for (int32_t offset = 0; offset < 8; ++offset) {
            for (int32_t n = 0; n <= 40; ++n) {
                SCOPED_TRACE("offset " + std::to_string(offset) + ", n " + std::to_string(n));
                std::vector<int32_t> x(offset + n + 9, fixed_guard);
                form->to_fixed(source.data() + offset + n, x.data() + offset, n);
                for (int32_t i = 0; i < (int32_t)x.size(); ++i) {
                    const bool inside = i >= offset && i < offset + n;
                    ASSERT_EQ(x[i], inside ? expected_fixed(source[n + i]) : fixed_guard) << i;
                }

                std::vector<float> out(offset + n + 9, guard);
                form->to_host(x.data() + offset, nullptr, out.data() + offset, n);
                for (int32_t i = 0; i < (int32_t)out.size(); ++i) {
                    const bool inside = i >= offset && i < offset + n;
                    ASSERT_TRUE(same_bits(out[i], inside ? expected_host(x[i]) : guard)) << i;
                }
                form->to_host(x.data() + offset, nullptr, nullptr, n);
            }
        }
    }
}

} // namespace
