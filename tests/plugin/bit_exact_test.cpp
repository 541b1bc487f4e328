// The plug-in's output against the plain model, to the bit, for host block
// sizes, sample rates, rate changes and State switching while the Frequency holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "app/ZR_Application.h"
#include "filter_model.h"
#include "plugin_host.h"
#include "vst/ZR_Main_Vst.h"

namespace {

ZR_Application &application(AEffect *e)
{
    return static_cast<ZR_Main_Vst *>(static_cast<AudioEffect *>(e->object))->application();
}

// Index of the first sample that differs in its bits, or -1.
long first_difference(const std::vector<float> &a, const std::vector<float> &b)
{
    if (a.size() != b.size())
        return 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return (long)i;
    return -1;
}

std::vector<float> test_signal(size_t n, double rate)
{
    std::vector<float> s = noise(n, 0.6, 7);
    std::vector<float> t = sine(n, 150.0, rate, 0.5);
    for (size_t i = 0; i < n; ++i)
        s[i] += t[i];
    s[n / 3] = 1.5f; // clipped samples too
    s[n / 3 + 1] = -7.0f;
    return s;
}

struct Case {
    std::vector<int32_t> blocks;
    float rate;
    float frequency; // host value; negative: the default
};

class BitExact : public testing::TestWithParam<Case> {};

TEST_P(BitExact, OutputEqualsModel)
{
    const Case &c = GetParam();
    Plugin p;
    FilterModel m;
    if (c.frequency >= 0.0f) {
        p.set(1, c.frequency);
        m.set_frequency(c.frequency);
    }
    p.start(c.rate);
    m.set_sample_rate(c.rate);
    std::vector<float> in = test_signal(20000, c.rate);
    std::vector<float> out = p.run(in, c.blocks);
    EXPECT_EQ(first_difference(out, m.run(in, c.blocks)), -1);
    double energy = 0.0, change = 0.0;
    for (size_t i = 0; i < in.size(); ++i) {
        energy += (double)out[i] * out[i];
        change += std::fabs((double)out[i] - in[i]);
    }
    EXPECT_GT(energy, 1.0); // filtered, not silent and not the input
    EXPECT_GT(change, 100.0);
    EXPECT_TRUE(p.channels_equal);
}

INSTANTIATE_TEST_SUITE_P(HostBlocks, BitExact,
                         testing::Values(Case{{1}, 48000.0f, -1.0f}, Case{{7}, 48000.0f, -1.0f},
                                         Case{{512}, 48000.0f, -1.0f}, Case{{513}, 48000.0f, -1.0f},
                                         Case{{1000}, 48000.0f, -1.0f},
                                         Case{{4096}, 48000.0f, -1.0f},
                                         Case{{1, 7, 512, 513, 1000, 4096, 3, 64}, 48000.0f, -1.0f},
                                         Case{{256}, 44100.0f, 0.0f}, Case{{333}, 96000.0f, 1.0f},
                                         Case{{4096, 5}, 192000.0f, 0.7f},
                                         Case{{128}, 22050.0f, 0.25f}, Case{{100}, 8000.0f, 0.4f}));

TEST(BitExactRate, SampleRateChangeKeepsStateAndRecomputesCoefficients)
{
    Plugin p;
    FilterModel m;
    p.start(44100.0f);
    m.set_sample_rate(44100.0f);
    std::vector<float> in = test_signal(9000, 44100.0);
    std::vector<float> a = p.run(in, {700});
    std::vector<float> b = m.run(in, {700});
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    m.set_sample_rate(96000.0f);
    std::vector<float> c = p.run(in, {300, 4096});
    std::vector<float> d = m.run(in, {300, 4096});
    EXPECT_EQ(first_difference(a, b), -1);
    EXPECT_EQ(first_difference(c, d), -1);
}

TEST(BitExactState, SwitchingFadesOverOnePipeBlock)
{
    for (std::vector<int32_t> blocks :
         std::vector<std::vector<int32_t>>{{1}, {7}, {512}, {513}, {1000}, {4096}, {100, 1, 600}}) {
        Plugin p;
        FilterModel m;
        p.start(48000.0f);
        m.set_sample_rate(48000.0f);
        std::vector<float> in = test_signal(3000, 48000.0);
        std::vector<float> got, want;
        const float states[] = {1.0f, 0.0f, 0.0f, 1.0f, 0.2f, 0.9f, 0.4f, 0.3f, 1.0f, 1.0f};
        for (float s : states) {
            p.set(0, s);
            m.set_state(s);
            std::vector<float> a = p.run(in, blocks), b = m.run(in, blocks);
            got.insert(got.end(), a.begin(), a.end());
            want.insert(want.end(), b.begin(), b.end());
        }
        EXPECT_EQ(first_difference(got, want), -1) << "first block " << blocks[0];
    }
}

TEST(BitExactState, OffPassesInputQuantisedOnBothChannels)
{
    Plugin p;
    p.start(48000.0f);
    p.set(0, 0.0f);
    std::vector<float> in = test_signal(2048, 48000.0);
    p.process(in.data(), 512); // the fade to dry
    std::vector<float> out = p.process(in.data(), 2048);
    for (size_t i = 0; i < out.size(); ++i) {
        float x = std::max(-1.0f, std::min(1.0f, in[i]));
        float q = (float)(int32_t)(x * 1073741824.0f) / 1073741824.0f;
        ASSERT_EQ(out[i], q) << i;
    }
    EXPECT_TRUE(p.channels_equal);
}

TEST(BitExactInput, ClipsToFullScaleAndNaNToMinusFullScale)
{
    Plugin p;
    p.start(48000.0f);
    float in[] = {1.5f, -7.0f, std::nanf(""), 0.5f};
    p.process(in, 4);
    const int32_t *x = application(p.e).buf_i->data;
    EXPECT_EQ(x[0], 1 << 30);
    EXPECT_EQ(x[1], -(1 << 30));
    EXPECT_EQ(x[2], -(1 << 30));
    EXPECT_EQ(x[3], 1 << 29);
}

// The same rule in the packed part of the conversion and in its tail.
TEST(BitExactInput, ClipsAlikeInPackedBodyAndTail)
{
    Plugin p;
    p.start(48000.0f);
    const float special[] = {1.0f,      -1.0f,      1.5f,  -7.0f, std::nanf(""), -std::nanf(""),
                             HUGE_VALF, -HUGE_VALF, 0.25f, -0.0f, 1.0000001f,    -1.0000001f};
    const int32_t expected[] = {1 << 30, -(1 << 30), 1 << 30, -(1 << 30), -(1 << 30), -(1 << 30),
                                1 << 30, -(1 << 30), 1 << 28, 0,          1 << 30,    -(1 << 30)};
    const int32_t n = (int32_t)(sizeof special / sizeof special[0]);
    for (int32_t shift = 0; shift < 4; ++shift) {
        std::vector<float> in(n + 3, 0.5f);
        std::copy(special, special + n, in.begin() + shift);
        p.process(in.data(), (int32_t)in.size());
        const int32_t *x = application(p.e).buf_i->data;
        for (int32_t i = 0; i < n; ++i)
            EXPECT_EQ(x[shift + i], expected[i]) << "shift " << shift << " sample " << i;
    }
}

TEST(BitExactInput, ThousandSampleBlockEndsWithPipeBlockOf488)
{
    Plugin p;
    p.start(48000.0f);
    std::vector<float> in(1000, 0.1f);
    p.process(in.data(), 1000);
    EXPECT_EQ(application(p.e).pipe->block_length, 488);
}

TEST(BitExactFrequency, DefaultAndFullScaleFilterFrequencies)
{
    Plugin p;
    FilterModel m;
    EXPECT_NEAR(m.filter_hz(), 340.2, 0.1);
    m.set_frequency(1.0f);
    EXPECT_FLOAT_EQ(m.filter_hz(), 9999.6f);
    m.set_frequency(0.0f);
    EXPECT_FLOAT_EQ(m.filter_hz(), 24.0f);
}

TEST(BitExactFrequency, ValueSetBeforeFirstBlockAfterOpenAppliesAtOnce)
{
    for (float x : {1.0f, 0.0f, 0.05f, 0.8f}) {
        Plugin p;
        FilterModel m;
        p.dispatch(effOpen);
        p.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        std::vector<float> in = test_signal(4000, 48000.0);
        p.set(1, x);
        m.set_sample_rate(48000.0f);
        m.set_frequency(x);
        EXPECT_EQ(first_difference(p.run(in, {64}), m.run(in, {64})), -1) << x;
    }
}

TEST(BitExactFrequency, ReopenAppliesTheNextValueAtOnce)
{
    Plugin p;
    p.start(48000.0f);
    std::vector<float> in = test_signal(4000, 48000.0);
    p.run(in, {256});
    p.dispatch(effMainsChanged, 0, 0);
    p.dispatch(effOpen);
    p.set(1, 0.9f);
    FilterModel m;
    m.set_sample_rate(48000.0f);
    m.set_frequency(0.9f);
    EXPECT_EQ(first_difference(p.run(in, {256}), m.run(in, {256})), -1);
}

} // namespace
