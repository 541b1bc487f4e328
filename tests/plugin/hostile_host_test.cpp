// Hosts that call in unexpected orders or with unexpected values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "app/ZR_Application.h"
#include "plugin_host.h"
#include "vst/ZR_Main_Vst.h"

namespace {

ZR_Application &application(AEffect *e)
{
    return static_cast<ZR_Main_Vst *>(static_cast<AudioEffect *>(e->object))->application();
}

bool all_finite_within(const std::vector<float> &v, float limit)
{
    for (float x : v)
        if (!(std::fabs(x) <= limit))
            return false;
    return true;
}

TEST(HostileHost, ProcessingBeforeOpenAndSampleRateGivesSilenceNotGarbage)
{
    Plugin p;
    std::vector<float> in = noise(3000, 0.5, 1);
    std::vector<float> out = p.process(in.data(), 3000);
    EXPECT_TRUE(all_finite_within(out, 2.0f));
    EXPECT_TRUE(p.channels_equal);
}

TEST(HostileHost, ZeroAndHugeBlocks)
{
    Plugin p;
    p.start(48000.0f);
    float in = 0.25f, out0 = 5.0f, out1 = 5.0f;
    float *ins[] = {&in};
    float *outs[] = {&out0, &out1};
    p.e->processReplacing(p.e, ins, outs, 0);
    EXPECT_EQ(out0, 5.0f);
    p.e->processReplacing(p.e, ins, outs, -5);
    EXPECT_EQ(out0, 5.0f);
    std::vector<float> big = noise(1000000, 0.5, 2);
    std::vector<float> out = p.process(big.data(), (int32_t)big.size());
    EXPECT_TRUE(all_finite_within(out, 2.0f));
    EXPECT_EQ(application(p.e).pipe->block_length, 1000000 % 512);
}

TEST(HostileHost, AbsurdSampleRatesAreIgnored)
{
    Plugin p;
    p.start(48000.0f);
    const float rates[] = {0.0f,
                           -44100.0f,
                           std::numeric_limits<float>::quiet_NaN(),
                           1e12f,
                           std::numeric_limits<float>::infinity(),
                           0.5f};
    for (float r : rates) {
        p.dispatch(effSetSampleRate, 0, 0, nullptr, r);
        EXPECT_EQ(application(p.e).sample_rate.load(), 48000) << r;
    }
    std::vector<float> in = noise(4096, 0.5, 3);
    EXPECT_TRUE(all_finite_within(p.process(in.data(), 4096), 2.0f));
}

TEST(HostileHost, ExtremeButValidRatesStayBounded)
{
    for (float r : {1.0f, 8000.0f, 2147483000.0f}) {
        Plugin p;
        p.start(r);
        for (float f : {0.0f, 1.0f}) {
            p.set(1, f);
            std::vector<float> in = square(5000, 100.0, 48000.0, 1.0);
            EXPECT_TRUE(all_finite_within(p.process(in.data(), 5000), 2.0f)) << r;
        }
    }
}

TEST(HostileHost, TopOfTheKnobAtLowRatesKeepsTheBandPassesExactAndStable)
{
    // 1.2 x 8333 Hz is above 0.225 times these rates: unchecked, the band-pass
    // coefficient c1 * 2^30 wrapped (44.1 kHz) or the recursion diverged.
    // A rate given after the cutoff caps it too.
    for (float rate : {8000.0f, 16000.0f, 22050.0f, 44100.0f}) {
        Plugin p;
        p.start(48000.0f);
        p.set(1, 1.0f);
        p.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        ZR_Application &app = application(p.e);
        for (ZR_Effect *e : {app.bandpass1, app.bandpass2}) {
            auto *bp = static_cast<ZR_Effect_Bapass *>(e);
            EXPECT_GT(bp->k1.load(), 0) << rate;
            EXPECT_LE(bp->frequency.load(), 0.225f * rate) << rate;
        }
        std::vector<float> in = sine(20000, rate * 0.01, rate, 0.5);
        std::vector<float> out = p.process(in.data(), 20000);
        float peak = 0.0f;
        for (size_t i = 10000; i < out.size(); ++i)
            peak = std::max(peak, std::fabs(out[i]));
        EXPECT_NEAR(peak, 0.5f, 0.01f) << rate;
    }
}

// (effString2Parameter with a null text is the hosts' probe: it answers 1.)
TEST(HostileHost, NullTextPointersAreRefused)
{
    Plugin p;
    for (int32_t op : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
                       effGetParamName, effGetEffectName, effGetVendorString, effGetProductString,
                       effGetProgramNameIndexed, effCanDo, effGetChunk, effSetChunk})
        EXPECT_EQ(0, p.dispatch(op, 0, 0, nullptr)) << op;
}

// A crash check: closing must not touch what was never made (the sanitizer
// builds report any bad access).
TEST(HostileHost, CrashCheckCloseInAnyState)
{
    {
        Plugin p;
    } // never opened
    {
        Plugin p;
        p.dispatch(effOpen);
    } // opened only
    {
        Plugin p;
        p.start(44100.0f);
        std::vector<float> in(100, 0.1f);
        p.process(in.data(), 100);
        p.dispatch(effMainsChanged, 0, 1); // resumed twice, then closed while "running"
    }
}

TEST(HostileHost, RateAndBlockSizeBeforeOpenAndWhileProcessing)
{
    Plugin p;
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    p.dispatch(effSetBlockSize, 0, 64);
    p.dispatch(effOpen);
    p.dispatch(effMainsChanged, 0, 1);
    p.dispatch(effMainsChanged, 0, 1);
    std::vector<float> in = noise(2000, 0.5, 4);
    p.process(in.data(), 2000);
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    p.dispatch(effSetBlockSize, 0, 100000);
    p.dispatch(effSetBlockSize, 0, -1);
    EXPECT_TRUE(all_finite_within(p.process(in.data(), 2000), 2.0f));
    EXPECT_EQ(application(p.e).sample_rate.load(), 96000);
}

TEST(HostileHost, ChunksAreNotUsed)
{
    Plugin p;
    void *data = reinterpret_cast<void *>(0x1);
    EXPECT_EQ(p.dispatch(effGetChunk, 0, 0, &data), -1);
    EXPECT_EQ(data, nullptr);
    char bytes[4] = {};
    EXPECT_EQ(p.dispatch(effSetChunk, 0, 4, bytes), 4);
}

TEST(HostileHost, ProcessWithMissingChannelsIsRefused)
{
    Plugin p;
    p.start(48000.0f);
    float buf[8];
    std::fill(buf, buf + 8, 7.0f);
    float *one[] = {buf};
    float *holed[] = {buf, nullptr};
    p.e->processReplacing(p.e, one, holed, 8);
    p.e->processReplacing(p.e, nullptr, nullptr, 8);
    for (float v : buf)
        EXPECT_EQ(7.0f, v);
}

} // namespace
