// The transform's scaling and ordering, and the noise gate's unity and
// closed gates, sizes and owned parts.
#include "ZR/dsp/effects/ZR_Fourier_Noisegate.h"
#include "ZR/dsp/effects/ZR_Fourier_Transform.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

TEST(Fourier, OrderZeroGivesHalfSumAndHalfDifference)
{
    ToolboxGraph g(2);
    ZR_Buffer *in = g.buffer();
    ZR_Fourier_Transform *t;
    ZR_Buffer *w = nullptr;
    spcpp("ZR_Fourier_Transform -i %o -s 0 -w", &t, in, &w);
    g.keep(t);
    ASSERT_EQ(w, t->output);
    in->data[0] = 1000;
    in->data[1] = -300;
    g.run();
    EXPECT_EQ(w->data[0], 350);
    EXPECT_EQ(w->data[1], 0);
    EXPECT_EQ(w->data[2], 650);
    EXPECT_EQ(w->data[3], 0);
}

TEST(Fourier, ConstantWindowHasOnlyTheFirstBin)
{
    ToolboxGraph g(16);
    ZR_Buffer *in = g.buffer();
    ZR_Fourier_Transform *t;
    spcpp("ZR_Fourier_Transform -i %o -s 4", &t, in); // M = 32: two blocks fill it
    g.keep(t);
    fill(in, 1 << 20);
    g.run(2);
    EXPECT_NEAR(t->output->data[0], 1 << 20, 2);
    for (int k = 1; k < 64; ++k)
        EXPECT_NEAR(t->output->data[k], 0, 2) << k;
}

TEST(Fourier, BackwardRestoresAForwardImpulse)
{
    ToolboxGraph g(64);
    ZR_Buffer *in = g.buffer();
    ZR_Fourier_Transform *f, *b;
    ZR_Buffer *spectrum;
    spcpp("ZR_Fourier_Transform -i %o -s 5 -w", &f, in, &spectrum);
    spcpp("ZR_Fourier_Transform -i %o -s 5 -d backward -d sideways -d", &b, spectrum,
          (const char **)nullptr);
    g.keep(f);
    g.keep(b);
    EXPECT_STREQ(static_cast<const char *>(ZR_Fourier_Transform::m_d(b, ZR_EMPTY).value.s),
                 "backward");
    fill(in, 0);
    in->data[0] = 64 << 16;
    g.run();
    // The window is oldest first: the impulse is at element 0.
    for (int k = 0; k < 64; ++k) {
        EXPECT_NEAR(b->output->data[2 * k], k == 0 ? 64 << 16 : 0, 64) << k;
        EXPECT_NEAR(b->output->data[2 * k + 1], 0, 64) << k;
    }
}

TEST(Fourier, OrdersOutsideTheTwiddleTableAreRefused)
{
    ZR_Fourier_Transform *t;
    int32_t L = -1;
    spcpp("ZR_Fourier_Transform -s 11 -s 12 -s -1 -s", &t, &L);
    EXPECT_EQ(L, 11);
    EXPECT_EQ(t->output->length, 8192);
    spcpp("%o -win cosine -win sin -win", t, (const char **)nullptr);
    EXPECT_TRUE(t->sine.load());
    spcpp("%o -delete", t);
}

TEST(Fourier, TransformWithoutSizeDoesNothing)
{
    ToolboxGraph g(8);
    ZR_Buffer *in = g.buffer();
    ZR_Fourier_Transform *t = g.effect<ZR_Fourier_Transform>("ZR_Fourier_Transform -i %o", in);
    g.run();
    EXPECT_EQ(t->output, nullptr);
}

namespace {

struct Gate {
    Gate() : g(32)
    {
        sig = g.buffer();
        spcpp("ZR_Fourier_Transform -i %o -s 5 -w", &ft, sig, &X);
        g.keep(ft);
        spcpp("ZR_Fourier_Noisegate -i %o -s %o -o1", &ng, X, sig, &o1);
        spcpp("%o -o2", ng, &o2);
        g.keep(ng);
    }
    void signal(int block)
    {
        for (int i = 0; i < sig->length; ++i)
            sig->data[i] =
                (int32_t)(3e8 * std::sin(0.3 * (block * 32 + i)) + (std::rand() % 2000000));
    }
    ToolboxGraph g;
    ZR_Buffer *sig, *X = nullptr, *o1 = nullptr, *o2 = nullptr;
    ZR_Fourier_Transform *ft;
    ZR_Fourier_Noisegate *ng;
};

} // namespace

TEST(Noisegate, PartsRunInsideTheGateOnly)
{
    Gate gate;
    EXPECT_EQ(gate.g.pipe->effects.count, 2);
    EXPECT_EQ(gate.ng->L, 5);
    EXPECT_EQ(gate.ng->noise->length, 33);
    EXPECT_EQ(gate.ng->gain->length, 128);
    ASSERT_NE(gate.o1, nullptr);
    EXPECT_EQ(gate.o1->length, 128);
}

TEST(Noisegate, WithoutNoiseEstimatePassesAtUnity)
{
    Gate gate;
    for (int b = 0; b < 3; ++b) {
        gate.signal(b);
        gate.g.run();
        for (int k = 0; k < 128; ++k) {
            const double x = gate.X->data[k];
            EXPECT_NEAR(gate.o2->data[k], x, 2 + std::fabs(x) * 1e-6) << k;
            if (b > 0) {
                EXPECT_NEAR(gate.o1->data[k], x, 2 + std::fabs(x) * 1e-6) << k;
            }
        }
    }
    for (int j = 0; j < 33; ++j)
        EXPECT_EQ(gate.ng->gain->data[2 * j], 2097152 - 1) << j;
}

TEST(Noisegate, BinsBelowTheNoiseAreClosed)
{
    Gate gate;
    ZR_Buffer *noise = nullptr;
    spcpp("%o -w", gate.ng, &noise);
    ASSERT_EQ(noise, gate.ng->noise);
    fill(noise, INT32_MAX);
    gate.signal(0);
    gate.g.run();
    for (int j = 0; j < 64; ++j)
        EXPECT_EQ(gate.ng->gain->data[2 * j], 0) << j;
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ(gate.o2->data[k], 0) << k;
}

TEST(Noisegate, AdaptingLearnsTheNoiseAndSettingTheSpectrumForgetsIt)
{
    Gate gate;
    spcpp("%o -a 1", gate.ng);
    for (int b = 0; b < 20; ++b) {
        gate.signal(b);
        gate.g.run();
    }
    int32_t learned = 0;
    for (int j = 0; j < 33; ++j)
        learned = std::max(learned, gate.ng->noise->data[j]);
    EXPECT_GT(learned, 1 << 20);
    spcpp("%o -i %o", gate.ng, gate.X);
    for (int j = 0; j < 33; ++j)
        EXPECT_EQ(gate.ng->noise->data[j], 0);
}

TEST(Noisegate, DeletedOwnedBufferOrBadSpectrumStopsTheGateSafely)
{
    Gate gate;
    ZR_Buffer *small;
    spcpp("ZR_Buffer -l 3", &small);
    spcpp("%o -i %o", gate.ng, small); // order -1: refused
    EXPECT_EQ(zr_get(gate.ng->spectrum), gate.X);
    spcpp("%o -delete", gate.o1);
    EXPECT_EQ(zr_get(gate.ng->output1), nullptr);
    ZR_Buffer *noise;
    spcpp("%o -w", gate.ng, &noise);
    spcpp("ZR_Buffer %o -delete", noise);
    EXPECT_EQ(gate.ng->noise, nullptr);
    gate.signal(0);
    gate.g.run(2);
    spcpp("%o -delete", small);
}
