// Tap-network kernel against a reference that walks the groups instead of the flat program.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

struct Tap {
    int32_t t, gain;
};
struct Group {
    std::vector<Tap> taps;
    int32_t out_gain, feedback;
    int output; // index into the outputs, or -1
};

struct Network {
    std::vector<Group> groups;
    std::vector<std::vector<int32_t>> outputs; // one block per output, the whole signal

    std::vector<ZR_tap_entry> compile(int offset)
    {
        std::vector<ZR_tap_entry> program;
        for (const Group &g : groups) {
            for (const Tap &tap : g.taps) {
                program.push_back(tap.t);
                program.push_back(tap.gain);
            }
            program.push_back(-1);
            program.push_back(g.out_gain);
            program.push_back(
                g.output < 0 ? 0
                             : reinterpret_cast<ZR_tap_entry>(outputs[g.output].data() + offset));
            program.push_back(g.feedback);
        }
        return program;
    }
};

struct Line {
    std::vector<int32_t> ring = std::vector<int32_t>(65536);
    uint16_t position = 0;
};

// One sample through the groups; stores into outs with the mode.
void ref_step(int32_t x, Line &line, const Network &net, std::vector<std::vector<int32_t>> &outs,
              int i, int mode)
{
    int64_t d = x;
    for (const Group &g : net.groups) {
        int64_t acc = 0;
        for (const Tap &tap : g.taps)
            acc = kref::wrap(acc +
                             kref::hi31(line.ring[(line.position + tap.t + 1) % 65536], tap.gain));
        if (g.output >= 0)
            outs[g.output][i] = kref::combine(mode, outs[g.output][i],
                                              kref::hi23(static_cast<int32_t>(acc), g.out_gain));
        d = kref::wrap(d + kref::hi23(static_cast<int32_t>(acc), g.feedback));
    }
    line.ring[line.position] = static_cast<int32_t>(d);
    line.position = static_cast<uint16_t>((line.position + 65535) % 65536);
}

Network two_groups()
{
    Network net;
    net.groups.push_back(
        {{{0, INT32_MAX}, {99, 1 << 30}, {65534, -(1 << 29)}}, 1 << 23, 1 << 22, 0});
    net.groups.push_back({{{4, INT32_MIN + 1}, {7, 123456789}}, 8388607, -(1 << 21), 1});
    net.groups.push_back({{{2, 1 << 30}}, 1 << 23, 1 << 20, -1}); // feedback only
    net.groups.push_back({{}, 1 << 23, 1 << 23, -1});             // no taps
    return net;
}

TEST(KernelTapnet, MatchesGroupReferenceOverLengthsAndChunks)
{
    const int total = ktest::kLongLength;
    const auto in = ktest::audio_signal(total, 41, 1 << 28);
    for (int mode = 0; mode < 6; ++mode) {
        auto run_chunks = [&](const std::vector<int> &sizes, int len) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " length " + std::to_string(len));
            Network net = two_groups();
            net.outputs = {ktest::wild_signal(len, 42), ktest::wild_signal(len, 43)};
            std::vector<std::vector<int32_t>> want = net.outputs;
            Line line, ref;
            line.position = ref.position = 65530; // wraps past 0 during the run
            for (int i = 0; i < len; ++i)
                ref_step(in[i], ref, net, want, i, mode);
            for (int pos = 0, c = 0; pos < len; ++c) {
                const int n = std::min(sizes[c % sizes.size()], len - pos);
                const auto program = net.compile(pos);
                kernel_tapnet[mode](in.data() + pos, n, line.ring.data(), line.position,
                                    program.data(), static_cast<int>(program.size()));
                pos += n;
            }
            ASSERT_EQ(net.outputs, want);
            ASSERT_EQ(line.position, ref.position);
            ASSERT_EQ(line.ring, ref.ring);
        };
        for (int n : ktest::odd_lengths())
            run_chunks({n}, n);
        run_chunks(ktest::chunk_sizes(), total);
    }
}

TEST(KernelTapnet, OneTapAtZeroDelaysByOneSample)
{
    std::vector<int32_t> in = {1 << 28, -(1 << 28), 12345 << 8, 0, 7 << 20}, out(5, -1);
    std::vector<int32_t> ring(65536);
    uint16_t p = 0;
    const std::vector<ZR_tap_entry> program = {
        0, INT32_MAX, -1, 1 << 23, reinterpret_cast<ZR_tap_entry>(out.data()), 0};
    kernel_tapnet[ZR_MODE_SET](in.data(), 5, ring.data(), p, program.data(), 6);
    EXPECT_EQ(out[0], 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_NEAR(out[i], in[i - 1], 1) << i; // gain just under 1
    EXPECT_EQ(p, 65531);
    EXPECT_EQ(ring[0], in[0]);
    EXPECT_EQ(ring[65532], in[4]);
}

TEST(KernelTapnet, GroupWithoutTapsWritesZeroAndFeedsNothingBack)
{
    std::vector<int32_t> in = {5, 6, 7}, out = {9, 9, 9};
    std::vector<int32_t> ring(65536);
    uint16_t p = 10;
    const std::vector<ZR_tap_entry> program = {-1, 1 << 23,
                                               reinterpret_cast<ZR_tap_entry>(out.data()), 1 << 23};
    kernel_tapnet[ZR_MODE_SET](in.data(), 3, ring.data(), p, program.data(), 4);
    EXPECT_EQ(out, std::vector<int32_t>(3, 0));
    EXPECT_EQ(ring[10], 5);
    EXPECT_EQ(ring[9], 6);
    EXPECT_EQ(ring[8], 7);
}

TEST(KernelTapnet, FeedbackEchoesEveryDelay)
{
    // t = 9, feedback 1/2: an impulse comes back every 10 samples at half the level.
    std::vector<int32_t> in(45, 0), out(45);
    in[0] = 1 << 28;
    std::vector<int32_t> ring(65536);
    uint16_t p = 0;
    const std::vector<ZR_tap_entry> program = {
        9, INT32_MAX, -1, 1 << 23, reinterpret_cast<ZR_tap_entry>(out.data()), 1 << 22};
    kernel_tapnet[ZR_MODE_SET](in.data(), 45, ring.data(), p, program.data(), 6);
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(out[10 * k], (1 << 28) >> (k - 1), 4) << k;
    EXPECT_EQ(out[15], 0);
}

} // namespace
