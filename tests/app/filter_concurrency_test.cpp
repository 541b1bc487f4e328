// One thread runs the filter graph while another retunes and switches its
// filters through commands, as the editor does against the audio thread.
#include "app_graph.h"

#include <atomic>
#include <thread>

using namespace pipetest;
using namespace filtertest;

namespace {

class Concurrency : public PipeTest {};

TEST_F(Concurrency, RetuneAndSwitchWhileProcessing)
{
    FilterGraph g(44100, 1000);
    std::vector<int32_t> x = test_signal(64 * 64, 21);
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};

    std::thread audio([&] {
        for (size_t pos = 0; !stop.load(); pos = (pos + 64) % x.size()) {
            g.pipe->block_length = 64;
            std::copy(x.begin() + (long)pos, x.begin() + (long)pos + 64, g.buf_i->data);
            g.pipe->process();
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // Both sides keep going until each has done a fair share.
    int rounds = 0;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> hz(24.0, 10000.0);
    const char *sections[] = {"integer", "floating"};
    while (rounds < 300 || blocks.load() < 3000) {
        for (ZR_Effect *e : g.filters())
            EXPECT_EQ(ZR_OK, spcpp("%o -f %f", e, hz(rng)));
        int on = (int)(rng() % 2);
        for (ZR_Effect *e : g.filters())
            EXPECT_EQ(ZR_OK, spcpp("ZR_Effect %o -on %i", e, on));
        EXPECT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass1, 0.5 + 0.2 * (rng() % 2)));
        EXPECT_EQ(ZR_OK, spcpp("%o -a %s", g.bandpass2, sections[rng() % 2]));
        EXPECT_EQ(ZR_OK, spcpp("%o -mode %s", g.bandpass2, rng() % 2 ? "sub" : "add"));
        for (ZR_Effect *e : g.all_effects())
            EXPECT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, rng() % 2 ? 44100 : 48000));
        int32_t dummy = 0;
        EXPECT_EQ(ZR_OK, spcpp("ZR_Effect %o -on", g.lowpass1, &dummy));
        ++rounds;
    }
    stop.store(true);
    audio.join();

    // Settled back to one setting, the graph runs exactly like a new one.
    for (ZR_Effect *e : g.all_effects())
        ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i -on %i", e, 44100, 1));
    for (ZR_Effect *e : g.filters())
        ASSERT_EQ(ZR_OK, spcpp("%o -f %f", e, 1000.0));
    ASSERT_EQ(ZR_OK, spcpp("%o -q %f", g.bandpass1, 0.618));
    ASSERT_EQ(ZR_OK, spcpp("%o -a integer -mode sub", g.bandpass2));
    g.run(x, 64);
    g.pipe->clear();
    FilterGraph fresh(44100, 1000);
    EXPECT_EQ(fresh.run(x, 64), g.run(x, 64));
}

} // namespace

namespace {

// Spins until both sides have arrived at round r.
void meet(std::atomic<int> &arrived, int r)
{
    arrived.fetch_add(1);
    while (arrived.load() < 2 * r)
        std::this_thread::yield();
}

// The host sets the clock while the editor sets the frequency, at the same
// moment, round after round: the coefficients must always be those of the
// settings that stay.
TEST_F(Concurrency, CoefficientsFollowTheLastFrequencyAndClock)
{
    ZR_Effect_Lopass *lp = nullptr;
    ZR_Effect_Bapass *bp = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect_Lopass -clock 44100 -f 1000", &lp));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect_Bapass -clock 44100 -f 1000 -q .618", &bp));
    const int rounds = 10000;
    std::atomic<int> arrived{0};
    std::thread host([&] {
        for (int r = 1; r <= rounds; ++r) {
            meet(arrived, 2 * r - 1);
            spcpp("ZR_Effect %o -clock %i", lp, r % 2 ? 48000 : 44100);
            spcpp("ZR_Effect %o -clock %i", bp, r % 2 ? 48000 : 44100);
            meet(arrived, 2 * r);
        }
    });
    int wrong = 0, first = 0;
    for (int r = 1; r <= rounds; ++r) {
        meet(arrived, 2 * r - 1);
        spcpp("%o -f %i", lp, 500 + r);
        spcpp("%o -f %i", bp, 500 + r);
        meet(arrived, 2 * r);
        uint32_t alpha = 0;
        ZR_onepole_alpha(lp->frequency, lp->clock, &alpha);
        ZR_bandpass_coefficients c;
        ZR_bandpass_design(bp->frequency, bp->q, bp->clock, &c);
        if (alpha != lp->alpha || c.k1 != bp->k1 || c.k2 != bp->k2 || c.k3 != bp->k3) {
            if (!wrong)
                first = r;
            ++wrong;
        }
    }
    host.join();
    EXPECT_EQ(0, wrong) << "rounds whose coefficients belong to older settings, first " << first;
    destroy(bp);
    destroy(lp);
}

} // namespace
