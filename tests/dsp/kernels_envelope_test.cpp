// Envelope follower kernel against a plain per-sample reference.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

int64_t magnitude(int32_t x)
{
    return x < 0 ? -int64_t{x} : int64_t{x};
}

int32_t ref_envelope(int32_t x, int32_t &e, int32_t attack, int32_t release)
{
    const int64_t r = magnitude(x);
    const int64_t e_unsigned = e < 0 ? int64_t{e} + (INT64_C(1) << 32) : e;
    const int32_t k = r < e_unsigned ? release : attack;
    e = kref::wrap(int64_t{e} + kref::hi31(kref::wrap(r - e), k));
    return e;
}

struct EnvState {
    int32_t e;
    std::vector<int32_t> rectified;
    bool operator==(const EnvState &o) const { return e == o.e && rectified == o.rectified; }
};

TEST(KernelEnvelope, MatchesReferenceWithBothOutputs)
{
    const auto in = ktest::wild_signal(ktest::kLongLength, 21);
    for (auto [attack, release] :
         {std::pair<int32_t, int32_t>{1 << 28, 1 << 22}, {INT32_MAX, 0}, {-5, INT32_MIN}}) {
        ktest::Harness<EnvState> h;
        h.initial = {99, std::vector<int32_t>(ktest::kLongLength, 3)};
        h.kernel = [&](int pos, int n, int32_t *out, EnvState &s, int mode) {
            kernel_envelope[mode](in.data() + pos, out, s.rectified.data() + pos, n, attack,
                                  release, s.e);
        };
        h.reference = [&](int pos, EnvState &s) {
            s.rectified[pos] = kref::wrap(magnitude(in[pos]));
            return ref_envelope(in[pos], s.e, attack, release);
        };
        h.run();
    }
}

TEST(KernelEnvelope, WithoutEnvelopeOutputOnlyRectifiesAndHoldsState)
{
    const std::vector<int32_t> in = {-7, 8, INT32_MIN, 0};
    std::vector<int32_t> rect(4, 99);
    int32_t e = 1234;
    kernel_envelope[ZR_MODE_ADD](in.data(), nullptr, rect.data(), 4, 1 << 30, 1 << 30, e);
    EXPECT_EQ(rect, (std::vector<int32_t>{7, 8, INT32_MIN, 0}));
    EXPECT_EQ(e, 1234);
    kernel_envelope[ZR_MODE_SET](in.data(), nullptr, nullptr, 4, 1 << 30, 1 << 30, e);
    EXPECT_EQ(e, 1234);
    std::vector<int32_t> out(4);
    kernel_envelope[ZR_MODE_SET](in.data(), out.data(), nullptr, 4, 0, 0, e);
    EXPECT_EQ(out, std::vector<int32_t>(4, 1234)); // zero coefficients: no movement
}

TEST(KernelEnvelope, RisesWithAttackFallsWithRelease)
{
    // Attack one half, release one eighth: after one step the envelope covers that share of the
    // gap.
    const int32_t attack = 1 << 30, release = 1 << 28;
    std::vector<int32_t> in = {1 << 20}, out(1);
    int32_t e = 0;
    kernel_envelope[ZR_MODE_SET](in.data(), out.data(), nullptr, 1, attack, release, e);
    EXPECT_EQ(e, 1 << 19);
    in[0] = 0;
    kernel_envelope[ZR_MODE_SET](in.data(), out.data(), nullptr, 1, attack, release, e);
    EXPECT_EQ(e, (1 << 19) - (1 << 16));
}

TEST(KernelEnvelope, MostNegativeInputCountsAsLargest)
{
    // r = 2^31 is above every non-negative e in the unsigned compare, so the attack applies.
    const std::vector<int32_t> in = {INT32_MIN};
    std::vector<int32_t> out(1);
    int32_t e = INT32_MAX - 1;
    kernel_envelope[ZR_MODE_SET](in.data(), out.data(), nullptr, 1, 1 << 30, 0, e);
    EXPECT_NE(e, INT32_MAX - 1); // release 0 would have held it
    EXPECT_EQ(e, kref::wrap(int64_t{INT32_MAX} - 1 + 1));
}

} // namespace
