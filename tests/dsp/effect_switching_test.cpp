// Effect base: switching on and off across blocks with the one-block
// crossfade, and the shared options mode, clock, on and debug.
#include "pipe_test_util.h"

#include <string>

using namespace pipetest;

namespace {

constexpr int N = 64;
constexpr int32_t WET = 1 << 29;

// src -> seed -> out -> probe -> sink, with `wet` effects writing out in
// between; seed and probe are never switched, like the application's copies.
class Switching : public PipeTest {
protected:
    ZR_Soundpipe *pipe = nullptr;
    ZR_Buffer *src = nullptr, *out = nullptr, *sink = nullptr;
    ProbeEffect *seed = nullptr, *probe = nullptr;
    std::vector<ProbeEffect *> wet;
    std::vector<int32_t> dry;

    void build(std::vector<std::pair<int32_t, const char *>> effects)
    {
        pipe = make_pipe(N);
        src = make_buffer("src");
        out = make_buffer("out");
        sink = make_buffer("sink");
        seed = new ProbeEffect(src, out, 0);
        for (auto &e : effects) {
            ProbeEffect *p = new ProbeEffect(src, out, e.first);
            EXPECT_EQ(ZR_OK, spcpp("%o -mode %s", p, e.second));
            wet.push_back(p);
        }
        probe = new ProbeEffect(out, sink, 0);
        end_pipe(pipe);
        for (int j = 0; j < N; ++j)
            dry.push_back(1000 * j - 20001 - (j % 3) * 0x10000000);
        fill(src, dry);
    }
    void TearDown() override
    {
        destroy(probe);
        for (ProbeEffect *p : wet)
            destroy(p);
        destroy(seed);
        destroy(sink);
        destroy(out);
        destroy(src);
        destroy(pipe);
        PipeTest::TearDown();
    }
    // Fade from a (j = 0) to b (j = N), truncating toward zero.
    static int32_t blend(int64_t a, int64_t b, int j)
    {
        return (int32_t)((a * (N - j) + b * j) / N);
    }
};

TEST_F(Switching, SwitchedOffRunsOneMoreBlockIsResetOnceThenSkipped)
{
    build({{WET, "set"}});
    ProbeEffect *e = wet[0];
    pipe->process();
    EXPECT_EQ(1, e->processed);
    EXPECT_EQ(dry[5] + WET, sink->data[5]);

    set_on(e, 0);
    pipe->process();
    EXPECT_EQ(2, e->processed);
    EXPECT_EQ(1, e->resets);
    std::vector<int32_t> fade = read(sink);
    EXPECT_EQ(dry[0] + WET, fade[0]); // first sample fully wet
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(blend(dry[j] + WET, dry[j], j), fade[j]) << j;
    // The last sample is one step of 1/N away from dry.
    EXPECT_EQ((int32_t)(((int64_t)dry[N - 1] * (N - 1) + dry[N - 1] + WET) / N), fade[N - 1]);

    for (int k = 0; k < 3; ++k) {
        pipe->process();
        EXPECT_EQ(2, e->processed);
        EXPECT_EQ(1, e->resets);
        EXPECT_EQ(dry, read(sink));
    }

    set_on(e, 1);
    pipe->process();
    EXPECT_EQ(3, e->processed);
    fade = read(sink);
    EXPECT_EQ(dry[0], fade[0]); // starts exactly at dry
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(blend(dry[j], dry[j] + WET, j), fade[j]) << j;

    pipe->process();
    EXPECT_EQ(4, e->processed);
    EXPECT_EQ(1, e->resets);
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(dry[j] + WET, sink->data[j]) << j;
}

TEST_F(Switching, SetAndSubSwitchingTogetherFadeTheirSum)
{
    build({{WET, "set"}, {-12345, "sub"}});
    // Wet result: (src + WET) - (src - 12345).
    const int32_t sum = WET + 12345;
    pipe->process();
    EXPECT_EQ(sum, sink->data[7]);

    for (ProbeEffect *p : wet)
        set_on(p, 0);
    pipe->process();
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(blend(sum, dry[j], j), sink->data[j]) << j;
    pipe->process();
    EXPECT_EQ(dry, read(sink));

    for (ProbeEffect *p : wet)
        set_on(p, 1);
    pipe->process();
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(blend(dry[j], sum, j), sink->data[j]) << j;
    pipe->process();
    for (int j = 0; j < N; ++j)
        EXPECT_EQ(sum, sink->data[j]) << j;
}

TEST_F(Switching, OnlyTheSwitchingEffectIsFadedAgainstTheSteadyOne)
{
    // The steady "add" runs before the switching "sub": its result is part of
    // the dry side of the fade.
    build({{1000, "add"}, {500, "sub"}});
    set_on(wet[1], 0);
    pipe->process();
    pipe->process();
    set_on(wet[1], 1);
    pipe->process();
    for (int j = 0; j < N; ++j) {
        int64_t steady = 2 * (int64_t)dry[j] + 1000;
        EXPECT_EQ(blend(steady, steady - dry[j] - 500, j), sink->data[j]) << j;
    }
}

// Flips its own `on` while it runs, as a handler on another thread may.
class SelfSwitching : public ProbeEffect {
public:
    using ProbeEffect::ProbeEffect;
    void process() override
    {
        ProbeEffect::process();
        on.store(false, std::memory_order_relaxed);
    }
};

TEST_F(Switching, OnChangedDuringABlockTakesEffectAtTheNextBlock)
{
    build({});
    pipe->effects.remove(&probe->link);
    SelfSwitching *flip = new SelfSwitching(src, out, WET);
    pipe->effects.insert(&flip->link);
    pipe->effects.insert(&probe->link);

    pipe->process(); // steady block: written straight, no reset yet
    EXPECT_EQ(0, flip->resets);
    EXPECT_EQ(dry[9] + WET, sink->data[9]);
    pipe->process(); // switch-off block: fades from wet to dry, then reset
    EXPECT_EQ(1, flip->resets);
    EXPECT_EQ(dry[0] + WET, sink->data[0]);
    EXPECT_EQ(blend(dry[N / 2] + WET, dry[N / 2], N / 2), sink->data[N / 2]);
    pipe->process();
    EXPECT_EQ(dry, read(sink));
    destroy(flip);
}

class EffectOptions : public PipeTest {};

TEST_F(EffectOptions, ModeNamesAndUnknownNames)
{
    ProbeEffect *e = new ProbeEffect();
    const char *name = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -mode", e, &name));
    EXPECT_STREQ("set", name);
    const char *names[] = {"set", "add", "sub", "stn", "adn", "sbn"};
    for (int m = 5; m >= 0; --m) {
        ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -mode %s", e, names[m]));
        EXPECT_EQ(m, e->mode.load());
    }
    ASSERT_EQ(ZR_OK, spcpp("%o -mode sbn", e));
    EXPECT_EQ(5, e->mode.load());
    for (const char *bad : {"SBN", "sb", "sbnx", "", "subtract"}) {
        ASSERT_EQ(ZR_OK, spcpp("%o -mode %s", e, bad));
        ASSERT_EQ(ZR_OK, spcpp("%o -mode", e, &name));
        EXPECT_STREQ("sbn", name) << bad;
    }
    // A number is not a mode name.
    ASSERT_EQ(ZR_OK, spcpp("%o -mode %i", e, 1));
    EXPECT_EQ(5, e->mode.load());
    destroy(e);
}

TEST_F(EffectOptions, ClockTruncatesAndNotifiesOnce)
{
    ProbeEffect *e = new ProbeEffect();
    EXPECT_EQ(0, query_int("%o -clock", e));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %f", e, 44100.7));
    EXPECT_EQ(44100, e->clock.load());
    EXPECT_EQ(1, e->clock_changes);
    EXPECT_EQ(44100, query_int("%o -clock", e));
    EXPECT_EQ(1, e->clock_changes);
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, 48000));
    EXPECT_EQ(48000, query_int("%o -clock", e));
    EXPECT_EQ(2, e->clock_changes);
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %f", e, -0.9));
    EXPECT_EQ(0, query_int("%o -clock", e));
    destroy(e);
}

TEST_F(EffectOptions, OnAndDebugReadBackAsZeroOrOne)
{
    ProbeEffect *e = new ProbeEffect();
    EXPECT_EQ(1, query_int("%o -on", e));
    EXPECT_EQ(0, query_int("%o -debug", e));
    for (int v : {7, -1, INT32_MIN, 1}) {
        set_on(e, 0);
        EXPECT_EQ(0, query_int("%o -on", e));
        set_on(e, v);
        EXPECT_EQ(1, query_int("%o -on", e)) << v;
    }
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -on %f", e, 0.25));
    EXPECT_EQ(1, query_int("%o -on", e));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -on %f", e, 0.0));
    EXPECT_EQ(0, query_int("%o -on", e));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -debug %i", e, 42));
    EXPECT_EQ(1, query_int("%o -debug", e));
    destroy(e);
}

} // namespace
