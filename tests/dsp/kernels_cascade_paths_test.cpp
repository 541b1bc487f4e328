// The vector cascade kernels against the scalar ones, bit for bit: outputs and the state left
// behind, over extreme inputs and coefficients, every short length, chunked runs and random plans.
#include <random>
#include <string>
#include <vector>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

// Coefficients from a realistic filter, from the whole usable range, or at its ends (na and nb
// near 2^32 and at 1).
ZR_cascade4_state random_state(std::mt19937 &gen)
{
    auto any = [&] { return static_cast<int32_t>(gen()); };
    const int32_t ends[] = {INT32_MIN + 1, INT32_MIN + 2, INT32_MAX, INT32_MAX - 1, 0, 1, -1};
    auto coefficient = [&](int32_t typical) {
        switch (gen() % 4) {
        case 0:
            return typical + static_cast<int32_t>(gen() % 4000000);
        case 1:
            return ends[gen() % 7];
        default:
            const int32_t v = any();
            return v == INT32_MIN ? INT32_MIN + 1 : v;
        }
    };
    const uint32_t alphas[] = {0u, 1u, UINT32_MAX, 0x80000000u};
    ZR_cascade4_state s{};
    for (int i = 0; i < 2; ++i) {
        s.low[i] = {gen() % 3 == 0 ? alphas[gen() % 4] : static_cast<uint32_t>(gen()), any()};
        s.band[i] = {coefficient(3678291),
                     coefficient(7331516),
                     coefficient(3665758),
                     any(),
                     any(),
                     gen() % 2 ? any() : any() >> 8,
                     gen() % 2 ? any() : any() >> 8};
    }
    return s;
}

// Full-scale square waves (the band-passes saturate both ways), the extremes, noise.
std::vector<int32_t> random_input(std::mt19937 &gen, int n)
{
    switch (gen() % 3) {
    case 0: {
        std::vector<int32_t> v(n);
        const int half = 1 + static_cast<int>(gen() % 12);
        for (int j = 0; j < n; ++j)
            v[j] = (j / half) % 2 ? INT32_MIN : INT32_MAX;
        return v;
    }
    case 1:
        return ktest::wild_signal(static_cast<size_t>(n), gen());
    default:
        return ktest::audio_signal(static_cast<size_t>(n), gen());
    }
}

void expect_same_state(const ZR_cascade4_state &got, const ZR_cascade4_state &want)
{
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("stage " + std::to_string(i));
        EXPECT_EQ(got.low[i].alpha, want.low[i].alpha);
        EXPECT_EQ(got.low[i].b, want.low[i].b);
        const ZR_bandpass_state &g = got.band[i], &w = want.band[i];
        EXPECT_EQ(std::vector<int32_t>({g.a, g.b, g.c, g.x1, g.x2, g.y1, g.y2}),
                  std::vector<int32_t>({w.a, w.b, w.c, w.x1, w.x2, w.y1, w.y2}));
    }
}

TEST(CascadePaths, VectorKernelMatchesScalarInEveryLengthAndChunking)
{
    const ZR_kernel_cascade4_fn vector = kernel_cascade4_vector();
    if (!vector)
        GTEST_SKIP() << "no AVX-512 F/DQ/VL";
    std::mt19937 gen(71);
    for (int trial = 0; trial < 600; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const int n = trial < 140 ? 1 + trial % 70 : 1 + static_cast<int>(gen() % 300);
        const ZR_cascade4_state initial = random_state(gen);
        const std::vector<int32_t> in = random_input(gen, n);
        std::vector<int32_t> want_mid(n), want_out(n), mid(n, 7), out(n, 7);
        ZR_cascade4_state want = initial, got = initial;
        kernel_cascade4_scalar(in.data(), want_mid.data(), want_out.data(), n, want);
        if (trial % 2 == 0) {
            vector(in.data(), mid.data(), out.data(), n, got);
        }
        else {
            // Random chunks, the state carried from call to call; every other run's chunks long
            // enough for whole turns of the vector loop between the edges.
            const int longest = trial % 4 == 1 ? 9 : 48;
            for (int pos = 0; pos < n;) {
                const int len = std::min(n - pos, 1 + static_cast<int>(gen() % longest));
                vector(in.data() + pos, mid.data() + pos, out.data() + pos, len, got);
                pos += len;
            }
        }
        ASSERT_EQ(mid, want_mid);
        ASSERT_EQ(out, want_out);
        expect_same_state(got, want);
    }
}

TEST(CascadePaths, VectorPlannedKernelMatchesScalarOverRandomPlans)
{
    const ZR_kernel_cascade4_planned_fn vector = kernel_cascade4_planned_vector();
    if (!vector)
        GTEST_SKIP() << "no AVX-512 F/DQ/VL";
    std::mt19937 gen(72);
    for (int trial = 0; trial < 600; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        // Every third long run on the 16-sample grid of the host blocks' plans, so that steps
        // change between whole turns of the vector loop.
        const bool grid = trial >= 300 && trial % 3 == 0;
        const int n = 1 + static_cast<int>(gen() % (trial < 300 ? 12 : grid ? 600 : 200));
        std::vector<ZR_cascade4_step> plan;
        for (int end = 0; end < n;) {
            // Otherwise steps of 0 to 20 samples, so that boundaries fall on every phase.
            end = std::min(n, end + (grid ? 16 : static_cast<int>(gen() % 21)));
            const ZR_cascade4_state k = random_state(gen);
            ZR_cascade4_step p{end, {}, {}, {}, {}};
            for (int i = 0; i < 2; ++i) {
                p.alpha[i] = k.low[i].alpha;
                p.a[i] = k.band[i].a;
                p.b[i] = k.band[i].b;
                p.c[i] = k.band[i].c;
            }
            plan.push_back(p);
        }
        // An empty last step: its coefficients are the ones left in the state.
        if (trial % 5 == 0) {
            ZR_cascade4_step p = plan.back();
            const ZR_cascade4_state k = random_state(gen);
            p.alpha[1] = k.low[1].alpha;
            p.a[0] = k.band[0].a;
            plan.push_back(p);
        }
        const ZR_cascade4_state initial = random_state(gen);
        const std::vector<int32_t> in = random_input(gen, n);
        std::vector<int32_t> want_mid(n), want_out(n), mid(n, 7), out(n, 7);
        ZR_cascade4_state want = initial, got = initial;
        kernel_cascade4_planned_scalar(in.data(), want_mid.data(), want_out.data(), plan.data(),
                                       static_cast<int>(plan.size()), want);
        vector(in.data(), mid.data(), out.data(), plan.data(), static_cast<int>(plan.size()), got);
        ASSERT_EQ(mid, want_mid);
        ASSERT_EQ(out, want_out);
        expect_same_state(got, want);
    }
}

} // namespace
