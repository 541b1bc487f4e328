// Zero, Oper, Koef, Gtzero, Ltzero, Ampdet, Dist, Lgd and Oversam by their
// results on small blocks.
#include "ZR/dsp/effects/ZR_Effect_Ampdet.h"
#include "ZR/dsp/effects/ZR_Effect_Dist.h"
#include "ZR/dsp/effects/ZR_Effect_Gtzero.h"
#include "ZR/dsp/effects/ZR_Effect_Lgd.h"
#include "ZR/dsp/effects/ZR_Effect_Oper.h"
#include "ZR/dsp/effects/ZR_Effect_Oversam.h"
#include "ZR/dsp/effects/ZR_Effect_Zero.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(ArithEffects, ZeroClearsItsOutputInEveryMode)
{
    ToolboxGraph g(8);
    ZR_Buffer *out = g.buffer();
    fill(out, 77);
    g.effect<ZR_Effect_Zero>("ZR_Effect_Zero -o %o -mode add", out);
    g.run();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out->data[i], 0);
}

TEST(ArithEffects, DivByZeroSaturatesWithTheDividendsSign)
{
    ToolboxGraph g(4);
    ZR_Buffer *a = g.buffer(), *b = g.buffer(), *out = g.buffer();
    int32_t values[4] = {0, 5, 200, -200};
    std::memcpy(a->data, values, sizeof values);
    g.effect<ZR_Effect_Oper>("ZR_Effect_Oper -i1 %o -i2 %o -o %o -oper div", a, b, out);
    g.run();
    EXPECT_EQ(out->data[0], 1 << 24);
    EXPECT_EQ(out->data[1], 6 << 24);
    EXPECT_EQ(out->data[2], INT32_MAX);
    EXPECT_EQ(out->data[3], INT32_MIN);
}

TEST(ArithEffects, OperKeepsItsOperatorForUnknownWordsAndUsesTheMode)
{
    ToolboxGraph g(2);
    ZR_Buffer *a = g.buffer(), *b = g.buffer(), *out = g.buffer();
    fill(a, 10);
    fill(b, 3);
    fill(out, 100);
    ZR_Effect_Oper *op;
    const char *name = nullptr;
    spcpp("ZR_Effect_Oper -i1 %o -i2 %o -o %o -oper sub -oper plus -oper", &op, a, b, out, &name);
    g.keep(op);
    EXPECT_STREQ(name, "sub");
    spcpp("%o -mode sbn", op);
    g.run();
    EXPECT_EQ(out->data[0], 7 - 100);
}

TEST(ArithEffects, KoefStoresKAsKTimes2To31Over127AndSaturatesBeyond127)
{
    ZR_Effect_Koef *k;
    int32_t K = 0;
    spcpp("ZR_Effect_Koef -oper mul -k 1.0 -k", &k, &K);
    EXPECT_EQ(K, 16909320);
    spcpp("%o -k 1 -k", k, &K); // an integer is converted, not reinterpreted
    EXPECT_EQ(K, 16909320);
    spcpp("%o -k 200.0 -k", k, &K);
    EXPECT_EQ(K, INT32_MAX);
    spcpp("%o -k -127 -k", k, &K);
    EXPECT_EQ(K, INT32_MIN);
    spcpp("%o -delete", k);
}

TEST(ArithEffects, KoefMulGainIsKOver2To24)
{
    ToolboxGraph g(1);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    in->data[0] = 1 << 24;
    g.effect<ZR_Effect_Koef>("ZR_Effect_Koef -i %o -o %o -oper mul -k 1.0", in, out);
    g.run();
    EXPECT_EQ(out->data[0], 16909320);
}

TEST(ArithEffects, GtzeroAndLtzeroKeepHalfWaves)
{
    ToolboxGraph g(2);
    ZR_Buffer *in = g.buffer(), *pos = g.buffer(), *neg = g.buffer();
    in->data[0] = -5;
    in->data[1] = 5;
    ZR_Effect *gt, *lt;
    spcpp("ZR_Effect_Gtzero -i %o -o %o -l 0", &gt, in, pos);
    spcpp("ZR_Effect_Ltzero -i %o -o %o -l 0.9", &lt, in, neg);
    g.keep(gt);
    g.keep(lt);
    g.run();
    EXPECT_EQ(pos->data[0], 0);
    EXPECT_EQ(pos->data[1], 5);
    EXPECT_EQ(neg->data[0], -5);
    EXPECT_EQ(neg->data[1], 0);
}

TEST(ArithEffects, AmpdetCoefficientsFollowTheClockAndKeepTheirValueWhenUndefined)
{
    ToolboxGraph g(4);
    ZR_Buffer *in = g.buffer(), *env = g.buffer(), *rect = g.buffer();
    ZR_Effect_Ampdet *a = g.effect<ZR_Effect_Ampdet>(
        "ZR_Effect_Ampdet -i %o -o %o -a %o -f1 0 -f2 1000", in, env, rect);
    EXPECT_EQ(a->attack.load(), 0); // no clock yet
    g.clock(44100);
    EXPECT_EQ(a->attack.load(), 2147483647);
    const int32_t release = a->release.load();
    EXPECT_EQ(release, (int32_t)(1000 * 6746518852.261009 / (1000 * 3.141592653589793 + 22050)));
    // fs = -2000 pi makes the denominator 0: the old release stays.
    spcpp("%o -clock %i", a, -6283);
    EXPECT_EQ(a->release.load(), release);
    spcpp("%o -f2 %f", a, 6283 * 0.5 / 3.141592653589793);
    EXPECT_EQ(a->release.load(), release);
    spcpp("%o -clock 44100 -f2 1000", a);
    fill(in, -1000000);
    g.run();
    EXPECT_EQ(rect->data[0], 1000000);
    EXPECT_EQ(env->data[0], 999999); // attack 2^31 - 1 follows at once
}

TEST(ArithEffects, DistReportsDriveAndClipsSoftlyInsideTheLimit)
{
    ToolboxGraph g(3);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Dist *d = g.effect<ZR_Effect_Dist>("ZR_Effect_Dist -i %o -o %o", in, out);
    EXPECT_EQ(d->a.load(), 1 << 23);
    EXPECT_EQ(d->b.load(), 1 << 22);
    int32_t x[3] = {4000, -12345, 1 << 20};
    std::memcpy(in->data, x, sizeof x);
    g.run();
    EXPECT_EQ(out->data[0], 4 * ((x[0] >> 1) >> 1)); // e starts at 0
    float drive = 0;
    spcpp("%o -d 0.5 -d", d, &drive);
    EXPECT_EQ(drive, 0.5f);
    EXPECT_EQ(d->a.load(), 1 << 27);
}

TEST(ArithEffects, DistWithoutKneeDoesNotFault)
{
    ToolboxGraph g(4);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Dist *d =
        g.effect<ZR_Effect_Dist>("ZR_Effect_Dist -i %o -o %o -s 0 -k 0.001", in, out); // knee 0
    g.clock(0);
    int32_t x[4] = {0, 100, -100, 1 << 29};
    std::memcpy(in->data, x, sizeof x);
    spcpp("%o -s 1.0", d); // limit 0, knee D / 2
    g.run(2);
    spcpp("%o -d 0", d); // D = 0: knee and limit 0
    g.run(2);
    EXPECT_EQ(out->data[1], 0);
}

TEST(ArithEffects, LgdPassesAnInputAtTheTargetAndLeavesItsLevel)
{
    ToolboxGraph g(4);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Lgd *l = g.effect<ZR_Effect_Lgd>("ZR_Effect_Lgd -i %o -o %o -c 0.25", in, out);
    fill(in, 536870912); // 0.25 * 2^31
    g.run();
    EXPECT_EQ(out->data[3], 536870912);
    EXPECT_EQ(l->L, 0.0);
    spcpp("%o -c %f", l, std::nan(""));
    EXPECT_EQ(l->c.load(), 0.25);
}

TEST(ArithEffects, OversamSettlesOnAConstantAndStaysInsideAShortInput)
{
    ToolboxGraph g(4);
    ZR_Buffer *in = g.buffer(), *out = g.buffer(64); // 16 input samples would be needed
    g.effect<ZR_Effect_Oversam>("ZR_Effect_Oversam -i %o -o %o", in, out);
    fill(in, 1001);
    g.run(3);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(out->data[i], 8 * (1001 / 8)) << i;
    EXPECT_EQ(out->data[32], 0); // beyond 8 x 4 input samples nothing is written
}
