// The glide to the bit: random host block sizes and Frequency automation
// against the plain model, at several rates (grid steps inside host blocks,
// at their edges, and across sub-blocks of 512).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "filter_model.h"
#include "plugin_host.h"

namespace {

struct Outputs {
    std::vector<float> plugin, model;
};

// Host calls of random sizes; before some of them a new Frequency: mostly
// small moves (a host's automation), sometimes jumps across the range; with
// switching, sometimes a new State too (it may fall inside a glide).
Outputs automate(float rate, uint32_t seed, int32_t max_block, size_t frames,
                 bool switching = false)
{
    std::mt19937 rng(seed);
    Plugin p;
    FilterModel m;
    p.start(rate);
    m.set_sample_rate(rate);
    std::vector<float> in = noise(frames, 0.9, seed);
    Outputs r;
    float x = 0.3f;
    for (size_t pos = 0; pos < frames;) {
        switch (rng() % 4) {
        case 0:
            x = (float)(rng() % 1001) / 1000.0f;
            break;
        case 1:
            x = std::min(1.0f, std::max(0.0f, x + ((float)(rng() % 201) - 100.0f) / 4000.0f));
            break;
        default:
            break; // no change: a glide may go on over several calls
        }
        p.set(1, x);
        m.set_frequency(x);
        if (switching && rng() % 5 == 0) {
            const float state = rng() % 3 ? 1.0f : 0.0f;
            p.set(0, state);
            m.set_state(state);
        }
        const int32_t n = (int32_t)std::min<size_t>(1 + rng() % (uint32_t)max_block, frames - pos);
        std::vector<float> part(in.begin() + (long)pos, in.begin() + (long)pos + n);
        std::vector<float> a = p.process(part.data(), n), b = m.process(part);
        r.plugin.insert(r.plugin.end(), a.begin(), a.end());
        r.model.insert(r.model.end(), b.begin(), b.end());
        pos += (size_t)n;
    }
    EXPECT_TRUE(p.channels_equal);
    return r;
}

long first_difference(const std::vector<float> &a, const std::vector<float> &b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return (long)i;
    return a.size() == b.size() ? -1 : 0;
}

TEST(GlideExact, RandomBlocksAndAutomationMatchTheModel)
{
    struct Case {
        float rate;
        int32_t max_block;
    };
    for (const Case c : {Case{48000.0f, 40}, Case{48000.0f, 700}, Case{44100.0f, 1500},
                         Case{96000.0f, 5000}, Case{22050.0f, 300}})
        for (uint32_t seed : {1u, 2u, 3u}) {
            Outputs r = automate(c.rate, seed, c.max_block, 60000);
            ASSERT_EQ(first_difference(r.plugin, r.model), -1)
                << "rate " << c.rate << " blocks up to " << c.max_block << " seed " << seed;
        }
}

TEST(GlideExact, SwitchingDuringGlidesMatchesTheModel)
{
    for (int32_t max_block : {20, 300, 2000})
        for (uint32_t seed : {4u, 5u, 6u, 7u}) {
            Outputs r = automate(48000.0f, seed, max_block, 60000, true);
            ASSERT_EQ(first_difference(r.plugin, r.model), -1)
                << "blocks up to " << max_block << " seed " << seed;
        }
}

} // namespace
