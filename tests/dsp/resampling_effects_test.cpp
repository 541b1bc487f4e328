// Frequency multipliers and pitch shifters: delays, repetition and buffers
// of the wrong size.
#include "ZR/dsp/effects/ZR_Effect_Freqmul.h"
#include "ZR/dsp/effects/ZR_Effect_Shift.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Feeds a ramp through the pipe and returns the output stream.
std::vector<int32_t> ramp_through(ToolboxGraph &g, ZR_Buffer *in, ZR_Buffer *out, int blocks)
{
    std::vector<int32_t> y;
    int32_t t = 0;
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < in->length; ++i)
            in->data[i] = (++t) << 16;
        g.run();
        y.insert(y.end(), out->data, out->data + out->length);
    }
    return y;
}

// Feeds signal(t) for sample t through the pipe and counts the rising zero
// crossings of the output after the first `settle` blocks.
template <class Signal>
int rising_crossings(ToolboxGraph &g, ZR_Buffer *in, ZR_Buffer *out, int blocks, int settle,
                     Signal signal)
{
    int crossings = 0;
    int32_t previous = 0;
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < in->length; ++i)
            in->data[i] = signal(b * in->length + i);
        g.run();
        if (b >= settle)
            for (int i = 0; i < out->length; ++i) {
                if (previous < 0 && out->data[i] >= 0)
                    ++crossings;
                previous = out->data[i];
            }
    }
    return crossings;
}

} // namespace

TEST(Freqmul, FactorOneDelaysByTheLookbackAndOneBlock)
{
    ToolboxGraph g(64);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    g.effect<ZR_Effect_Freqmul>("ZR_Effect_Freqmul -i %o -o %o -k 1", in, out);
    g.clock(44100);
    std::vector<int32_t> y = ramp_through(g, in, out, 40);
    // 0.02 as a float: 881 samples, plus the block of 64 and the write step.
    for (size_t i = 1000; i < y.size(); ++i)
        ASSERT_EQ(y[i], (int32_t)((i + 1 - 946) << 16)) << i;
}

TEST(Freqmul, FactorTwoDoublesTheFrequencyOfASquareWave)
{
    ToolboxGraph g(100);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Freqmul *f = g.effect<ZR_Effect_Freqmul>(
        "ZR_Effect_Freqmul -i %o -o %o -k 2 -k 1000 -k", in, out, (int32_t *)nullptr);
    EXPECT_EQ(f->k.load(), ZR_FREQMUL_MAX_FACTOR);
    spcpp("%o -k 2", f);
    g.clock(1000);
    // A square wave of period 100.
    int crossings =
        rising_crossings(g, in, out, 20, 10, [](int t) { return (t / 50) % 2 ? -1000 : 1000; });
    EXPECT_NEAR(crossings, 20, 2); // 1000 samples at period 50
}

// A 16-sample output block gets the first 16 samples a full block would get,
// block after block: the read position moves with the input, not the output.
TEST(Freqmul, ShortOutputBlocksAreFilledOnlyAsFarAsTheyReach)
{
    struct Run {
        ToolboxGraph g{128};
        ZR_Buffer *in, *out;
        explicit Run(int out_length) : in(g.buffer()), out(g.buffer(out_length))
        {
            ZR_Effect *f, *nf;
            spcpp("ZR_Effect_Freqmul -i %o -o %o -k 3", &f, in, out);
            spcpp("ZR_Effect_Nefreqmul -i %o -o %o -k 4 -mode add", &nf, in, out);
            g.keep(f);
            g.keep(nf);
            g.clock(44100);
            ramp_through(g, in, out, 3);
        }
    } short_run(16), full_run(128);
    int64_t energy = 0;
    for (int b = 0; b < 50; ++b) {
        for (Run *r : {&short_run, &full_run}) {
            for (int i = 0; i < 128; ++i)
                r->in->data[i] = (int32_t)(1e9 * std::sin(0.05 * (b * 128 + i)));
            r->g.run();
        }
        ASSERT_EQ(16, short_run.out->length);
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(short_run.out->data[i], full_run.out->data[i]) << b << " " << i;
            energy += std::abs((int64_t)short_run.out->data[i]);
        }
    }
    EXPECT_GT(energy, 0);
}

TEST(Nefreqmul, FactorOneFollowsTheInputAndResetClearsTheRing)
{
    ToolboxGraph g(64);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Nefreqmul *f =
        g.effect<ZR_Effect_Nefreqmul>("ZR_Effect_Nefreqmul -i %o -o %o -k 1", in, out);
    g.clock(44100);
    std::vector<int32_t> y = ramp_through(g, in, out, 40);
    for (size_t i = 1000; i < y.size(); ++i)
        ASSERT_EQ(y[i], (int32_t)((i - 881) << 16)) << i;
    f->reset();
    g.run();
    EXPECT_EQ(out->data[0], 0);
}

TEST(Shift, StillHeadsDelayByTheWindow)
{
    ToolboxGraph g(256);
    ZR_Buffer *in = g.buffer(), *plain = g.buffer(), *exact = g.buffer();
    ZR_Effect *n, *s;
    spcpp("ZR_Effect_Nshift -i %o -o %o -s 0 -p 0", &n, in, plain);
    spcpp("ZR_Effect_Shift -i %o -o %o", &s, in, exact);
    g.keep(n);
    g.keep(s);
    g.clock(48000); // T = 2^23: 512 samples
    std::vector<int32_t> x, yp, ye;
    for (int b = 0; b < 6; ++b) {
        for (int i = 0; i < 256; ++i) {
            in->data[i] = (int32_t)(9e8 * std::sin(0.01 * (b * 256 + i))) + 12345;
            x.push_back(in->data[i]);
        }
        g.run();
        yp.insert(yp.end(), plain->data, plain->data + 256);
        ye.insert(ye.end(), exact->data, exact->data + 256);
    }
    for (size_t i = 512; i < x.size(); ++i) {
        ASSERT_EQ(ye[i], x[i - 512]) << i;
        ASSERT_EQ(yp[i], x[i - 512] & ~16383) << i;
    }
}

TEST(Shift, ClocksWithoutAWindowKeepTheOldOne)
{
    ZR_Effect_Nshift *n;
    spcpp("ZR_Effect_Nshift", &n);
    spcpp("%o -clock 44100", n);
    const int32_t window = n->T.load();
    EXPECT_EQ(window, 7707033);
    spcpp("%o -clock 0", n);
    EXPECT_EQ(n->T.load(), window);
    spcpp("%o -clock -48000", n);
    EXPECT_EQ(n->T.load(), window);
    spcpp("%o -clock 2000000000", n);
    EXPECT_EQ(n->T.load(), window);
    spcpp("%o -delete", n);
}

TEST(Shift, MovingHeadsChangeThePitch)
{
    ToolboxGraph g(512);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    g.effect<ZR_Effect>("ZR_Effect_Nshift -i %o -o %o -s -4096", in, out); // factor 1.25
    g.clock(48000);
    int crossings = rising_crossings(g, in, out, 40, 4, [](int t) {
        return (int32_t)(5e8 * std::sin(2 * M_PI * 200.0 / 48000 * t));
    });
    // 36 blocks of 512 at 48 kHz: 76.8 periods of 200 Hz, 96 at 250 Hz.
    EXPECT_NEAR(crossings, 96, 6);
}
