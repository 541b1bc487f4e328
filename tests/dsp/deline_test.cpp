// The delay network: echoes, feedback, compiled times, program limits and
// group and delay lifetimes.
#include "ZR/dsp/effects/ZR_Effect_Deline.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cstdlib>

#define NOWHERE ((void *)nullptr)

namespace {

struct Echo {
    explicit Echo(int block, double feedback = 0.0) : g(block)
    {
        in = g.buffer();
        out = g.buffer();
        spcpp("ZR_Effect_Deline -i %o", &d, in);
        g.keep(d);
        // A query in the middle of a command takes an out-parameter.
        spcpp("%o -g -go %o -ga 1.0 -gf %f -d -dt 99 -da 1.0", d, NOWHERE, out, feedback, NOWHERE);
    }
    // Runs `blocks` blocks with an impulse at sample 0 of the first; returns
    // the output, one sample per entry.
    std::vector<int32_t> impulse(int blocks, int32_t height = 1 << 24)
    {
        std::vector<int32_t> result;
        for (int b = 0; b < blocks; ++b) {
            fill(in, 0);
            if (b == 0)
                in->data[0] = height;
            g.run();
            result.insert(result.end(), out->data, out->data + out->length);
        }
        return result;
    }
    ToolboxGraph g;
    ZR_Buffer *in, *out;
    ZR_Effect_Deline *d;
};

} // namespace

TEST(Deline, DelayOf99SamplesEchoesAfter100)
{
    Echo e(64);
    std::vector<int32_t> y = e.impulse(4);
    for (size_t i = 0; i < y.size(); ++i) {
        if (i == 100) {
            EXPECT_NEAR(y[i], 1 << 24, 4);
            EXPECT_LE(y[i], 1 << 24);
        }
        else {
            EXPECT_EQ(y[i], 0) << i;
        }
    }
}

TEST(Deline, FeedbackRepeatsTheEchoAtHalfLevel)
{
    Echo e(128, 0.5);
    std::vector<int32_t> y = e.impulse(4);
    double previous = 1 << 24;
    for (int k = 1; k <= 5; ++k) {
        EXPECT_NEAR(y[100 * k], previous * (k == 1 ? 1.0 : 0.5), 8) << k;
        previous = y[100 * k];
        EXPECT_EQ(y[100 * k + 1], 0);
    }
}

TEST(Deline, SecondsCompileWithTheClockAndClampToTheLine)
{
    Echo e(16);
    spcpp("%o -dt 0.5", e.d);
    spcpp("ZR_Effect %o -clock 44100", e.d);
    e.d->prepare();
    EXPECT_EQ(e.d->program[0], 22050);
    spcpp("ZR_Effect %o -clock 48000", e.d);
    EXPECT_FALSE(e.d->prepared.load());
    e.d->prepare();
    EXPECT_EQ(e.d->program[0], 24000);
    spcpp("%o -dt 100000", e.d);
    e.d->prepare();
    EXPECT_EQ(e.d->program[0], 65534);
    spcpp("%o -dt -5", e.d);
    e.d->prepare();
    EXPECT_EQ(e.d->program[0], 0);
    spcpp("%o -dt 10.0", e.d); // 441000 samples
    e.d->prepare();
    EXPECT_EQ(e.d->program[0], 65534);
}

TEST(Deline, ClearedGroupWritesZeroAndDaWithoutValueSilencesTheTap)
{
    Echo e(128);
    std::vector<int32_t> y = e.impulse(1);
    EXPECT_NE(y[100], 0);
    spcpp("%o -da", e.d, NOWHERE);
    EXPECT_EQ(e.impulse(1)[100], 0);
    spcpp("%o -da 1.0 -gc", e.d);
    EXPECT_EQ(e.d->program_length, 4);
    fill(e.out, 55);
    e.g.run();
    EXPECT_EQ(e.out->data[5], 0);
    EXPECT_EQ(e.d->compiled_length, 4);
}

TEST(Deline, TwoGroupsShareTheLine)
{
    ToolboxGraph g(256);
    ZR_Buffer *in = g.buffer(), *a = g.buffer(), *b = g.buffer();
    ZR_Effect_Deline *d = g.effect<ZR_Effect_Deline>(
        "ZR_Effect_Deline -i %o -g -go %o -ga 1.0 -d -dt 9 -da 0.5", in, NOWHERE, a, NOWHERE);
    spcpp("%o -g -go %o -ga 1.0 -gf 1.0 -d -dt 49 -da 0.5", d, NOWHERE, b, NOWHERE);
    fill(in, 0);
    in->data[0] = 1 << 24;
    g.run();
    EXPECT_NEAR(a->data[10], 1 << 23, 2);
    EXPECT_NEAR(b->data[50], 1 << 23, 2);
    // b's feedback put its echo back into the line: a hears it 10 later.
    EXPECT_NEAR(a->data[60], 1 << 22, 4);
}

TEST(Deline, OptionsWithoutGroupOrDelayAreIgnored)
{
    ToolboxGraph g(8);
    ZR_Buffer *in = g.buffer();
    ZR_Effect_Deline *d = g.effect<ZR_Effect_Deline>(
        "ZR_Effect_Deline -i %o -go %o -ga 2 -gf 1 -gc -dt 5 -da 1 -d", in, in);
    EXPECT_EQ(d->current, nullptr);
    spcpp("%o -g -dt 5 -da 1", d, NOWHERE);
    EXPECT_EQ(d->current->current, nullptr);
    EXPECT_EQ(d->program_length, 4);
    // Another effect's object never becomes a group.
    spcpp("%o -g %o -d %o", d, d, in);
    g.run(2);
}

TEST(Deline, ProgramNeverGrowsPastItsCapacity)
{
    ToolboxGraph g(4);
    ZR_Buffer *in = g.buffer(), *out = g.buffer();
    ZR_Effect_Deline *d =
        g.effect<ZR_Effect_Deline>("ZR_Effect_Deline -i %o -g -go %o", in, NOWHERE, out);
    for (int i = 0; i < 9000; ++i)
        spcpp("%o -d -dt 3 -da 0.001", d, NOWHERE);
    EXPECT_EQ(d->program_length, ZR_Effect_Deline::kProgram);
    EXPECT_EQ(d->current->delays.count, (ZR_Effect_Deline::kProgram - 4) / 2);
    ZR_Effect_Deline_Group *first = d->current;
    spcpp("%o -g", d, NOWHERE); // no room for a trailer
    EXPECT_EQ(d->current, first);
    fill(in, 1000);
    g.run();
    EXPECT_EQ(d->compiled_length, ZR_Effect_Deline::kProgram);
    spcpp("%o -gc", d);
    spcpp("%o -g", d, NOWHERE); // room again
    EXPECT_NE(d->current, first);
    EXPECT_EQ(d->program_length, 8);
}

TEST(Deline, GroupsAndDelaysDeletedByCommandLeaveTheNetwork)
{
    Echo e(128);
    ZR_Object *group = e.d->current;
    ZR_Object *delay = e.d->current->current;
    spcpp("%o -d -dt 9 -da 0.5", e.d, NOWHERE); // a second tap
    spcpp("%o -delete", delay);
    EXPECT_EQ(e.d->program_length, 6);
    std::vector<int32_t> y = e.impulse(1);
    EXPECT_EQ(y[100], 0);
    EXPECT_NE(y[10], 0);
    spcpp("%o -delete", group);
    EXPECT_EQ(e.d->current, nullptr);
    EXPECT_EQ(e.d->program_length, 0);
    e.impulse(1);
}
