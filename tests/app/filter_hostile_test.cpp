// Values no caller should send and graphs no caller should build: the
// filters must neither crash nor touch memory outside their blocks.
#include "app_graph.h"

#include <limits>

using namespace pipetest;
using namespace filtertest;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();

class Hostile : public PipeTest {
protected:
    static void feed(FilterGraph &g, uint32_t seed)
    {
        std::vector<int32_t> x = test_signal(512, seed);
        for (int i = 0; i < 512; i += 5)
            x[i] = i % 2 ? INT32_MAX : INT32_MIN;
        g.run(x, 512);
    }
};

TEST_F(Hostile, FrequenciesQAndClocksOutsideTheDesign)
{
    FilterGraph g(44100, 1000);
    auto *lp = static_cast<ZR_Effect_Onepole *>(g.lowpass1);
    auto *bp = static_cast<ZR_Effect_Bapass *>(g.bandpass1);
    const uint32_t alpha = lp->alpha;
    const int32_t k1 = bp->k1, k2 = bp->k2, k3 = bp->k3;

    // Values without a coefficient keep the old one.
    for (double f : {0.0, NaN}) {
        for (ZR_Effect *e : g.filters())
            ASSERT_EQ(ZR_OK, spcpp("%o -f %f", e, f));
        EXPECT_EQ(alpha, lp->alpha.load()) << f;
        EXPECT_EQ(k1, bp->k1.load()) << f;
        feed(g, 1);
    }
    // A one-pole frequency is truncated to whole Hz.
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f", lp, -0.9));
    EXPECT_EQ(alpha, lp->alpha.load());
    for (double q : {0.0, 1.0, NaN, INF, -INF}) {
        ASSERT_EQ(ZR_OK, spcpp("%o -f %f -q %f", bp, 1000.0, q));
        EXPECT_EQ(k1, bp->k1.load()) << q;
        EXPECT_EQ(k2, bp->k2.load()) << q;
        EXPECT_EQ(k3, bp->k3.load()) << q;
    }

    // Everything else follows the formulas; processing must survive it.
    const double fs = 44100;
    for (double f :
         {-1000.0, -fs / (2 * PI), INF, -INF, 1e9, 3 * fs, fs / 2, 30000.0, 1e-3, 1e38}) {
        for (ZR_Effect *e : g.filters())
            ASSERT_EQ(ZR_OK, spcpp("%o -f %f", e, f));
        for (double q : {0.618, -0.618, 1e-30, 1e30, 0.9999999, 2.0}) {
            ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass1, q));
            ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass2, q));
            for (int clock : {44100, 0, -44100, 1, -1, INT32_MAX, INT32_MIN}) {
                for (ZR_Effect *e : g.all_effects())
                    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, clock));
                feed(g, 2);
            }
        }
    }
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %f", g.lowpass1, NaN));
    EXPECT_EQ(0, query_int("%o -clock", g.lowpass1));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %f", g.lowpass1, -INF));
    EXPECT_EQ(INT32_MIN, query_int("%o -clock", g.lowpass1));
    feed(g, 3);

    // Back in range, the graph recovers after a reset.
    for (ZR_Effect *e : g.all_effects())
        ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, 44100));
    for (ZR_Effect *e : g.filters())
        ASSERT_EQ(ZR_OK, spcpp("%o -f %f", e, 1000.0));
    ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass1, 0.618));
    ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass2, 0.618));
    EXPECT_EQ(alpha, lp->alpha.load());
    EXPECT_EQ(k1, bp->k1.load());
    g.pipe->clear();
    std::vector<int32_t> silence(2048, 0);
    std::vector<int32_t> y = g.run(silence, 512);
    EXPECT_EQ(silence, y);
}

TEST_F(Hostile, FloatingSectionWithRunawayCoefficients)
{
    FilterGraph g(44100, 1000, "floating");
    for (double q : {-0.618, 1e-30, 1e30}) {
        for (int clock : {-44100, 1, INT32_MAX}) {
            for (ZR_Effect *e : g.all_effects())
                ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, clock));
            ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass1, q));
            for (int i = 0; i < 8; ++i)
                feed(g, 4);
        }
    }
    for (const char *mode : {"stn", "adn", "sbn", "add"}) {
        ASSERT_EQ(ZR_OK, spcpp("%o -mode %s", g.bandpass2, mode));
        feed(g, 5);
    }
}

TEST_F(Hostile, MissingShortAndEmptyBuffers)
{
    ZR_Soundpipe *pipe = make_pipe(512);
    ZR_Buffer *in = make_buffer("in");
    ZR_Buffer *shorter = nullptr, *empty = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Buffer -l %i", &shorter, 10));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Buffer -l %i", &empty, 0));
    std::vector<ZR_Effect *> effects;
    const char *classes[][2] = {{"ZR_Effect_Lopass", "-f 500"},
                                {"ZR_Effect_Hipass", "-f 500"},
                                {"ZR_Effect_Bapass", "-f 500 -q .5"},
                                {"ZR_Effect_Copy", "-is 1"}};
    for (auto &c : classes) {
        const char *cls = c[0];
        char command[96];
        ZR_Effect *e = nullptr;
        // Never given buffers.
        std::snprintf(command, sizeof command, "%s -clock 44100", cls);
        ASSERT_EQ(ZR_OK, spcpp(command, &e));
        effects.push_back(e);
        // Only an input, only an output.
        std::snprintf(command, sizeof command, "%s -i %%o", cls);
        ASSERT_EQ(ZR_OK, spcpp(command, &e, in));
        effects.push_back(e);
        std::snprintf(command, sizeof command, "%s -o %%o", cls);
        ASSERT_EQ(ZR_OK, spcpp(command, &e, in));
        effects.push_back(e);
        // An output shorter than the input, and a buffer without storage.
        std::snprintf(command, sizeof command, "%s -i %%o -o %%o -clock 44100 %s -mode add", cls,
                      c[1]);
        ASSERT_EQ(ZR_OK, spcpp(command, &e, in, shorter));
        effects.push_back(e);
        ASSERT_EQ(ZR_OK, spcpp(command, &e, in, empty));
        effects.push_back(e);
        ASSERT_EQ(ZR_OK, spcpp(command, &e, empty, in));
        effects.push_back(e);
    }
    // A copy spreading over an output that cannot hold the whole run.
    ZR_Effect *spread = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect_Copy -i %o -o %o -os %i", &spread, in, shorter, 7));
    effects.push_back(spread);
    end_pipe(pipe);

    fill(in, test_signal(512, 9));
    fill(shorter, std::vector<int32_t>(10, 0));
    for (int block = 0; block < 3; ++block)
        pipe->process();
    // Switching crossfades over buffers of differing lengths.
    for (int on : {0, 1}) {
        for (ZR_Effect *e : effects)
            set_on(e, on);
        pipe->process();
        pipe->process();
    }
    EXPECT_EQ(10, query_int("%o -l", shorter));

    for (auto it = effects.rbegin(); it != effects.rend(); ++it)
        destroy(*it);
    destroy(empty);
    destroy(shorter);
    destroy(in);
    destroy(pipe);
}

TEST_F(Hostile, DeletingMembersAndThePipeInAnyOrder)
{
    std::vector<int32_t> x = test_signal(512, 12);
    {
        FilterGraph g(44100, 1000);
        // A filter deleted while in the pipe; the pipe runs on without it.
        ASSERT_EQ(ZR_OK, spcpp("%o -delete", g.bandpass1));
        g.bandpass1 = nullptr;
        g.run(x, 512);
        // The pipe deleted before its members; they stay usable and deletable.
        ASSERT_EQ(ZR_OK, spcpp("%o -delete", g.pipe));
        g.pipe = nullptr;
        EXPECT_EQ(nullptr, g.lowpass1->pipe);
        EXPECT_EQ(0, query_int("%o -l", g.buf_i));
        for (ZR_Effect *e : g.filters()) {
            if (e) {
                ASSERT_EQ(ZR_OK, spcpp("%o -f %f", e, 2000.0));
                set_on(e, 0);
            }
        }
    }
    {
        // Every effect deleted: the pipe runs empty.
        FilterGraph g(44100, 1000);
        g.run(x, 512);
        for (ZR_Effect *e : g.all_effects())
            ASSERT_EQ(ZR_OK, spcpp("%o -delete", e));
        g.input_copy = g.lowpass1 = g.bandpass1 = g.lowpass2 = g.bandpass2 = g.output_copy =
            nullptr;
        g.pipe->process();
    }
}

} // namespace
