// One-pole and band-pass kernels against plain per-sample references.
#include <array>
#include <random>
#include <string>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

int32_t ref_onepole(int32_t x, int32_t &b, uint32_t alpha)
{
    int64_t u = (int64_t{x} - b + (INT64_C(1) << 31)) % (INT64_C(1) << 32);
    if (u < 0)
        u += INT64_C(1) << 32;
    const int64_t step = static_cast<int64_t>((static_cast<uint64_t>(u) * alpha) >> 32);
    b = kref::wrap(int64_t{b} + step - alpha / 2);
    return b;
}

using BandState = std::array<int32_t, 4>; // x1, x2, y1, y2

// The seven terms summed exactly; wrapping=true reduces modulo 2^32, else the sum saturates.
int32_t ref_bandpass(int32_t x, BandState &s, int32_t a, int32_t b, int32_t c, bool wrapping,
                     int *overflows)
{
    const int64_t sum = int64_t{kref::hi31(c, kref::wrap(int64_t{x} - s[1]))} - s[3] +
                        kref::hi31(b, s[3]) + s[2] + s[2] - kref::hi31(a, s[2]) -
                        kref::hi31(a, s[2]);
    if (overflows && (sum > INT32_MAX || sum < INT32_MIN))
        ++*overflows;
    const int32_t y = wrapping
                          ? kref::wrap(sum)
                          : static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    s = {x, s[0], y, s[2]};
    return y;
}

void run_bandpass(const std::vector<int32_t> &in, std::vector<int32_t> &out, int mode, int32_t a,
                  int32_t b, int32_t c, BandState &s, int pos = 0, int n = -1)
{
    if (n < 0)
        n = static_cast<int>(in.size());
    kernel_bandpass2[mode](in.data() + pos, out.data() + pos, n, a, b, c, s[0], s[1], s[2], s[3]);
}

// 24 Hz, q 0.618 at 44100 Hz, as the band-pass effect computes them.
constexpr int32_t kLowA = 3678291, kLowB = 7331516, kLowC = 3665758;

TEST(KernelLowpass1, MatchesReferenceInEveryModeLengthAndChunking)
{
    const auto in = ktest::wild_signal(ktest::kLongLength, 1);
    for (uint32_t alpha : {0u, 1u, 535616699u, 0x80000000u, 0xffffffffu}) {
        SCOPED_TRACE(alpha);
        ktest::Harness<int32_t> h;
        h.initial = 12345;
        h.kernel = [&](int pos, int n, int32_t *out, int32_t &b, int mode) {
            kernel_lowpass1[mode](in.data() + pos, out, n, alpha, b);
        };
        h.reference = [&](int pos, int32_t &b) { return ref_onepole(in[pos], b, alpha); };
        h.run();
    }
}

TEST(KernelLowpass1, ZeroAlphaHoldsAndFullAlphaFollows)
{
    std::vector<int32_t> in = {1000, -5000, 77, 1 << 29}, out(4);
    int32_t b = 42;
    kernel_lowpass1[ZR_MODE_SET](in.data(), out.data(), 4, 0u, b);
    EXPECT_EQ(out, std::vector<int32_t>(4, 42));
    EXPECT_EQ(b, 42);
    kernel_lowpass1[ZR_MODE_SET](in.data(), out.data(), 4, 0xffffffffu, b);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(out[i], in[i], 2) << i;
}

TEST(KernelLowpass1, NegatedModeChangesOnlyTheStore)
{
    const auto in = ktest::wild_signal(300, 2);
    std::vector<int32_t> set(300), stn(300);
    int32_t bs = 0, bn = 0;
    for (int pos : {0, 150}) {
        kernel_lowpass1[ZR_MODE_SET](in.data() + pos, set.data() + pos, 150, 535616699u, bs);
        kernel_lowpass1[ZR_MODE_STN](in.data() + pos, stn.data() + pos, 150, 535616699u, bn);
    }
    EXPECT_EQ(bs, bn);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(stn[i], kref::wrap(-int64_t{set[i]})) << i;
}

TEST(KernelLowpass1, InPlaceReadsEachSampleBeforeStoring)
{
    const auto in = ktest::wild_signal(143, 3);
    std::vector<int32_t> block = in;
    int32_t b = 7, rb = 7;
    kernel_lowpass1[ZR_MODE_SUB](block.data(), block.data(), 143, 123456789u, b);
    for (int i = 0; i < 143; ++i)
        ASSERT_EQ(block[i], kref::combine(ZR_MODE_SUB, in[i], ref_onepole(in[i], rb, 123456789u)))
            << i;
    EXPECT_EQ(b, rb);
}

TEST(KernelHipass1, IsInputMinusLowpassState)
{
    const auto in = ktest::wild_signal(ktest::kLongLength, 5);
    for (uint32_t alpha : {0u, 535616699u, 0xfffffff0u}) {
        int32_t b = -99, rb = -99;
        std::vector<int32_t> out(ktest::kLongLength);
        for (int pos = 0, c = 0; pos < ktest::kLongLength; ++c) {
            const int n = std::min(ktest::chunk_sizes()[c % ktest::chunk_sizes().size()],
                                   ktest::kLongLength - pos);
            kernel_hipass1(in.data() + pos, out.data() + pos, n, alpha, b);
            pos += n;
        }
        for (int i = 0; i < ktest::kLongLength; ++i) {
            const int32_t lp = ref_onepole(in[i], rb, alpha);
            ASSERT_EQ(out[i], kref::wrap(int64_t{in[i]} - lp)) << i;
        }
        EXPECT_EQ(b, rb);
    }
}

TEST(KernelBandpass2, MatchesSaturatingReferenceOnFullRangeInput)
{
    const auto in = ktest::wild_signal(ktest::kLongLength, 6);
    const std::array<int32_t, 3> coefs[] = {{kLowA, kLowB, kLowC},
                                            {0x40000000, 0x20000000, 0x10000000},
                                            {INT32_MIN, INT32_MAX, INT32_MIN}};
    for (const auto &k : coefs) {
        ktest::Harness<BandState> h;
        h.initial = {5, -6, 7, -8};
        h.kernel = [&](int pos, int n, int32_t *out, BandState &s, int mode) {
            kernel_bandpass2[mode](in.data() + pos, out, n, k[0], k[1], k[2], s[0], s[1], s[2],
                                   s[3]);
        };
        h.reference = [&](int pos, BandState &s) {
            return ref_bandpass(in[pos], s, k[0], k[1], k[2], false, nullptr);
        };
        h.run();
    }
}

TEST(KernelBandpass2, EqualsWrappingArithmeticWhenNothingOverflows)
{
    const auto in = ktest::audio_signal(ktest::kLongLength, 7, 1 << 28);
    int overflows = 0;
    ktest::Harness<BandState> h;
    h.kernel = [&](int pos, int n, int32_t *out, BandState &s, int mode) {
        kernel_bandpass2[mode](in.data() + pos, out, n, kLowA, kLowB, kLowC, s[0], s[1], s[2],
                               s[3]);
    };
    h.reference = [&](int pos, BandState &s) {
        return ref_bandpass(in[pos], s, kLowA, kLowB, kLowC, true, &overflows);
    };
    h.initial = {0, 0, 0, 0};
    h.run();
    EXPECT_EQ(overflows, 0);
}

TEST(KernelBandpass2, ConstantInputSettlesToZero)
{
    std::vector<int32_t> in(20000, 1 << 29), out(20000);
    // 5000 Hz, q 0.5: well damped, reaches exactly 0.
    BandState s{};
    run_bandpass(in, out, ZR_MODE_SET, 1102972918, 1495638101, 747819050, s);
    for (int i = 19000; i < 20000; ++i)
        ASSERT_EQ(out[i], 0) << i;
    // 1000 Hz, q 0.618: the floor of the products leaves a dead band of a few LSBs.
    s = {};
    run_bandpass(in, out, ZR_MODE_SET, 163171923, 285650544, 142825272, s);
    for (int i = 19000; i < 20000; ++i)
        ASSERT_LT(std::abs(out[i]), 1 << 8) << i;
}

TEST(KernelBandpass2, OverdrivenSectionComesToRestWhereWrappingWouldRing)
{
    const int loud = 20000, quiet = 100000;
    std::vector<int32_t> in = ktest::wild_signal(loud, 8);
    in.resize(loud + quiet, 0);
    std::vector<int32_t> out(in.size());
    BandState s{};
    for (int pos = 0; pos < loud + quiet; pos += 512)
        run_bandpass(in, out, ZR_MODE_SET, kLowA, kLowB, kLowC, s, pos,
                     std::min(512, loud + quiet - pos));

    BandState w{};
    int overflows = 0;
    int32_t wrapped_tail = 0, tail = 0;
    for (int i = 0; i < loud + quiet; ++i) {
        const int32_t y = ref_bandpass(in[i], w, kLowA, kLowB, kLowC, true, &overflows);
        if (i >= loud + quiet - 1000) {
            wrapped_tail = std::max(wrapped_tail, y == INT32_MIN ? INT32_MAX : std::abs(y));
            tail = std::max(tail, out[i] == INT32_MIN ? INT32_MAX : std::abs(out[i]));
        }
    }
    ASSERT_GT(overflows, 0);
    EXPECT_GT(wrapped_tail, 1 << 29); // the wrapping section keeps oscillating near full scale
    EXPECT_LT(tail, 1 << 17);         // the saturating one decays to its rounding noise
}

TEST(KernelBandpass2, NegatedModeChangesOnlyTheStore)
{
    const auto in = ktest::audio_signal(400, 9);
    std::vector<int32_t> set(400), stn(400);
    BandState s1{}, s2{};
    for (int pos : {0, 200}) {
        run_bandpass(in, set, ZR_MODE_SET, kLowA, kLowB, kLowC, s1, pos, 200);
        run_bandpass(in, stn, ZR_MODE_STN, kLowA, kLowB, kLowC, s2, pos, 200);
    }
    EXPECT_EQ(s1, s2);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(stn[i], kref::wrap(-int64_t{set[i]})) << i;
}

// Two stages of low-pass minus band-pass, per sample from the references, against the fused
// kernel over every short length and a chunked run; full-range input drives the saturation.
TEST(KernelCascade4, MatchesTwoStagesOfReferenceSections)
{
    std::mt19937 gen(11);
    for (const bool wild : {false, true}) {
        const auto in = wild ? ktest::wild_signal(ktest::kLongLength, 12)
                             : ktest::audio_signal(ktest::kLongLength, 13);
        ZR_cascade4_state initial{};
        for (int i = 0; i < 2; ++i) {
            initial.low[i] = {535616699u + static_cast<uint32_t>(gen() % 1000),
                              static_cast<int32_t>(gen())};
            initial.band[i] = {kLowA + i * 7777,
                               kLowB - i * 333,
                               kLowC,
                               static_cast<int32_t>(gen()),
                               static_cast<int32_t>(gen()),
                               static_cast<int32_t>(gen()) >> 4,
                               static_cast<int32_t>(gen()) >> 4};
        }
        ASSERT_TRUE(kernel_cascade4_usable(initial));
        // The reference run over the whole signal.
        std::vector<int32_t> want_mid(in.size()), want_out(in.size());
        int32_t lb[2] = {initial.low[0].b, initial.low[1].b};
        BandState bs[2];
        for (int i = 0; i < 2; ++i) {
            const ZR_bandpass_state &p = initial.band[i];
            bs[i] = {p.x1, p.x2, p.y1, p.y2};
        }
        auto stage = [&](int i, int32_t x) {
            const ZR_bandpass_state &p = initial.band[i];
            const int32_t lo = ref_onepole(x, lb[i], initial.low[i].alpha);
            const int32_t y = ref_bandpass(x, bs[i], p.a, p.b, p.c, false, nullptr);
            return kref::combine(ZR_MODE_SUB, lo, y);
        };
        for (size_t j = 0; j < in.size(); ++j) {
            want_mid[j] = stage(0, in[j]);
            want_out[j] = stage(1, want_mid[j]);
        }
        auto check_state = [&](const ZR_cascade4_state &s, size_t done) {
            // Replays the reference state after `done` samples.
            int32_t b[2] = {initial.low[0].b, initial.low[1].b};
            BandState r[2] = {
                {initial.band[0].x1, initial.band[0].x2, initial.band[0].y1, initial.band[0].y2},
                {initial.band[1].x1, initial.band[1].x2, initial.band[1].y1, initial.band[1].y2}};
            for (size_t j = 0; j < done; ++j) {
                ref_onepole(in[j], b[0], initial.low[0].alpha);
                ref_bandpass(in[j], r[0], initial.band[0].a, initial.band[0].b, initial.band[0].c,
                             false, nullptr);
                ref_onepole(want_mid[j], b[1], initial.low[1].alpha);
                ref_bandpass(want_mid[j], r[1], initial.band[1].a, initial.band[1].b,
                             initial.band[1].c, false, nullptr);
            }
            for (int i = 0; i < 2; ++i) {
                EXPECT_EQ(s.low[i].b, b[i]) << i;
                EXPECT_EQ(BandState({s.band[i].x1, s.band[i].x2, s.band[i].y1, s.band[i].y2}), r[i])
                    << i;
            }
        };
        for (int n : ktest::odd_lengths()) {
            SCOPED_TRACE("length " + std::to_string(n) + (wild ? " wild" : " audio"));
            ZR_cascade4_state s = initial;
            std::vector<int32_t> mid(n), out(n);
            kernel_cascade4(in.data(), mid.data(), out.data(), n, s);
            ASSERT_EQ(mid, std::vector<int32_t>(want_mid.begin(), want_mid.begin() + n));
            ASSERT_EQ(out, std::vector<int32_t>(want_out.begin(), want_out.begin() + n));
            check_state(s, static_cast<size_t>(n));
        }
        SCOPED_TRACE(wild ? "chunked wild" : "chunked audio");
        ZR_cascade4_state s = initial;
        std::vector<int32_t> mid(in.size()), out(in.size());
        for (int pos = 0, c = 0; pos < ktest::kLongLength; ++c) {
            const int n = std::min(ktest::chunk_sizes()[c % ktest::chunk_sizes().size()],
                                   ktest::kLongLength - pos);
            kernel_cascade4(in.data() + pos, mid.data() + pos, out.data() + pos, n, s);
            pos += n;
        }
        ASSERT_EQ(mid, want_mid);
        ASSERT_EQ(out, want_out);
        check_state(s, in.size());
    }
}

// Random coefficients over their whole usable range (most of them unstable, so the sums
// saturate often), random states and full-range input, in short runs against the reference
// sections: the products' extreme operands and the saturation at both ends.
TEST(KernelCascade4, MatchesReferenceOverTheWholeCoefficientRange)
{
    std::mt19937 gen(29);
    auto any = [&] { return static_cast<int32_t>(gen()); };
    auto coefficient = [&] {
        const int32_t v = any();
        return v == INT32_MIN ? INT32_MIN + 1 : v;
    };
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ZR_cascade4_state s{};
        for (int i = 0; i < 2; ++i) {
            s.low[i] = {static_cast<uint32_t>(gen()), any()};
            s.band[i] = {coefficient(), coefficient(), coefficient(), any(), any(), any(), any()};
        }
        const ZR_cascade4_state initial = s;
        const int n = 1 + static_cast<int>(gen() % 24);
        const auto in = ktest::wild_signal(static_cast<size_t>(n), gen());
        std::vector<int32_t> mid(n), out(n);
        kernel_cascade4(in.data(), mid.data(), out.data(), n, s);
        int32_t lb[2] = {initial.low[0].b, initial.low[1].b};
        BandState bs[2];
        for (int i = 0; i < 2; ++i) {
            const ZR_bandpass_state &p = initial.band[i];
            bs[i] = {p.x1, p.x2, p.y1, p.y2};
        }
        for (int j = 0; j < n; ++j) {
            int32_t x = in[j];
            for (int i = 0; i < 2; ++i) {
                const ZR_bandpass_state &p = initial.band[i];
                const int32_t lo = ref_onepole(x, lb[i], initial.low[i].alpha);
                x = kref::combine(ZR_MODE_SUB, lo,
                                  ref_bandpass(x, bs[i], p.a, p.b, p.c, false, nullptr));
                ASSERT_EQ(i == 0 ? mid[j] : out[j], x) << "sample " << j << " stage " << i;
            }
        }
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(s.low[i].b, lb[i]) << i;
            EXPECT_EQ(BandState({s.band[i].x1, s.band[i].x2, s.band[i].y1, s.band[i].y2}), bs[i])
                << i;
        }
    }
}

// A planned run whose coefficients change between samples (as a glide's do) against the
// reference sections switching their coefficients at the same samples; random plans, steps
// as short as one sample at the start, and full-range input.
TEST(KernelCascade4, PlannedRunMatchesReferenceSectionsChangingCoefficients)
{
    std::mt19937 gen(21);
    for (const bool wild : {false, true}) {
        const auto in = wild ? ktest::wild_signal(600, 22) : ktest::audio_signal(600, 23);
        for (int trial = 0; trial < 40; ++trial) {
            std::vector<ZR_cascade4_step> plan;
            int end = 0;
            while (end < 600) {
                const int len = trial % 4 == 0 ? 1 + (int)(gen() % 3) : 1 + (int)(gen() % 40);
                end = std::min(600, end + len);
                ZR_cascade4_step p{end, {}, {}, {}, {}};
                for (int i = 0; i < 2; ++i) {
                    p.alpha[i] = 200000000u + gen() % 900000000u;
                    p.a[i] = kLowA + (int32_t)(gen() % 2000000);
                    p.b[i] = kLowB + (int32_t)(gen() % 4000000);
                    p.c[i] = kLowC + (int32_t)(gen() % 2000000);
                }
                plan.push_back(p);
            }
            ZR_cascade4_state s{};
            for (int i = 0; i < 2; ++i)
                s.band[i] = {0,
                             0,
                             0,
                             (int32_t)gen(),
                             (int32_t)gen(),
                             (int32_t)gen() >> 4,
                             (int32_t)gen() >> 4};
            s.low[0].b = (int32_t)gen();
            s.low[1].b = (int32_t)gen();
            // The reference, one sample at a time.
            int32_t lb[2] = {s.low[0].b, s.low[1].b};
            BandState bs[2] = {{s.band[0].x1, s.band[0].x2, s.band[0].y1, s.band[0].y2},
                               {s.band[1].x1, s.band[1].x2, s.band[1].y1, s.band[1].y2}};
            std::vector<int32_t> want_mid(600), want_out(600);
            size_t g = 0;
            for (int j = 0; j < 600; ++j) {
                while (j >= plan[g].end)
                    ++g;
                const ZR_cascade4_step &p = plan[g];
                auto stage = [&](int i, int32_t x) {
                    const int32_t lo = ref_onepole(x, lb[i], p.alpha[i]);
                    const int32_t y =
                        ref_bandpass(x, bs[i], p.a[i], p.b[i], p.c[i], false, nullptr);
                    return kref::combine(ZR_MODE_SUB, lo, y);
                };
                want_mid[j] = stage(0, in[j]);
                want_out[j] = stage(1, want_mid[j]);
            }
            std::vector<int32_t> mid(600), out(600);
            kernel_cascade4_planned(in.data(), mid.data(), out.data(), plan.data(),
                                    (int)plan.size(), s);
            ASSERT_EQ(mid, want_mid) << "trial " << trial;
            ASSERT_EQ(out, want_out) << "trial " << trial;
            for (int i = 0; i < 2; ++i) {
                EXPECT_EQ(s.low[i].b, lb[i]);
                EXPECT_EQ(BandState({s.band[i].x1, s.band[i].x2, s.band[i].y1, s.band[i].y2}),
                          bs[i]);
                EXPECT_EQ(s.band[i].a, plan.back().a[i]);
                EXPECT_EQ(s.low[i].alpha, plan.back().alpha[i]);
            }
        }
    }
}

TEST(KernelCascade4, RefusesTheCoefficientOnlyThePlainSectionHandles)
{
    ZR_cascade4_state s{};
    EXPECT_TRUE(kernel_cascade4_usable(s));
    s.band[1].b = INT32_MIN;
    EXPECT_FALSE(kernel_cascade4_usable(s));
}

} // namespace
