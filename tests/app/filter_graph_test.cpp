// The application's filter graph in a pipe: the output does not depend on
// how the signal is cut into blocks, and the response is that of two
// third-order stages.
#include "app_graph.h"

#include <cstdio>

using namespace pipetest;
using namespace filtertest;

namespace {

class FilterGraphTest : public PipeTest {};

// Runs x through a fresh graph with the given block lengths, cycling.
std::vector<int32_t> through_graph(const std::vector<int32_t> &x, const std::vector<int> &blocks,
                                   int fs, double hz, const char *section)
{
    FilterGraph g(fs, hz, section);
    std::vector<int32_t> y;
    size_t pos = 0, b = 0;
    while (pos < x.size()) {
        int k = (int)std::min<size_t>((size_t)blocks[b++ % blocks.size()], x.size() - pos);
        std::vector<int32_t> part(x.begin() + (long)pos, x.begin() + (long)pos + k);
        std::vector<int32_t> out = g.run(part, k);
        y.insert(y.end(), out.begin(), out.end());
        pos += (size_t)k;
    }
    return y;
}

TEST_F(FilterGraphTest, BlockLengthDoesNotChangeTheOutput)
{
    std::vector<int32_t> x = test_signal(6000, 7);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> length(1, 512);
    std::vector<int> mixed;
    for (int i = 0; i < 64; ++i)
        mixed.push_back(length(rng));
    mixed.insert(mixed.begin(), {1, 511, 2, 3, 512});

    for (const char *section : {"integer", "floating"}) {
        for (int fs : {44100, 96000}) {
            for (double hz : {24.0, 340.0, 9999.6}) {
                std::vector<int32_t> reference = through_graph(x, {512}, fs, hz, section);
                ASSERT_EQ(x.size(), reference.size());
                EXPECT_NE(x, reference);
                for (const std::vector<int> &blocks : {std::vector<int>{1}, {7}, {64}, mixed}) {
                    std::vector<int32_t> y = through_graph(x, blocks, fs, hz, section);
                    ASSERT_EQ(reference.size(), y.size());
                    size_t first = 0;
                    while (first < y.size() && y[first] == reference[first])
                        ++first;
                    EXPECT_EQ(y.size(), first)
                        << section << " fs " << fs << " f " << hz << " block " << blocks[0]
                        << ": first difference at " << first;
                }
            }
        }
    }
}

TEST_F(FilterGraphTest, ResponseOfTheTwoStages)
{
    // |1/((s+1)(s^2+s+1))|^2 per stage is 1/(1+w^6): -3.01 dB at the cutoff
    // per stage, so -6.02 dB for the graph.
    const int fs = 44100, n = 8192;
    for (double fc : {340.0, 1200.0}) {
        for (double ratio : {0.25, 0.5, 1.0, 2.0}) {
            int k = (int)std::lround(fc * ratio * n / fs);
            double hz = (double)k * fs / n, w = hz / fc;
            std::vector<int32_t> x(16384 + n);
            for (size_t i = 0; i < x.size(); ++i)
                x[i] = (int32_t)std::lround((1 << 28) * std::sin(2 * PI * k * (double)i / n));
            FilterGraph g(fs, fc);
            std::vector<int32_t> y = g.run(x, 512);
            std::vector<int32_t> xs(x.end() - n, x.end()), ys(y.end() - n, y.end());
            double measured = db(tone_amplitude(ys, k) / tone_amplitude(xs, k));
            double analogue = 2 * db(1.0 / std::sqrt(1.0 + std::pow(w, 6)));
            std::printf("graph fc %7.1f tone %8.2f Hz: measured %8.3f dB, analogue %8.3f dB\n", fc,
                        hz, measured, analogue);
            // The two discretisations differ, so the stages only approach the
            // prototype; the tolerance grows with the tone's frequency.
            EXPECT_NEAR(analogue, measured, 0.05 + 40.0 * hz / fs) << fc << " " << hz;
        }
    }
}

} // namespace
