// Soft clip kernel against a plain per-sample reference.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

struct ClipParams {
    int32_t a, b, c;
    int shift;
    uint32_t flags;
};

int32_t ref_softclip(int32_t x, int32_t &e, const ClipParams &p)
{
    using kref::floor_shift;
    using kref::wrap;
    const int32_t f = static_cast<int32_t>(floor_shift(wrap(floor_shift(x, 1) - e), 1));
    int32_t lower = wrap(-int64_t{p.a});
    if (p.flags & 1)
        lower = std::max(wrap(-int64_t{p.a} - p.b), std::min(e, p.a));
    const int32_t g = std::max(std::min(f, p.a), lower);
    const int32_t d = wrap(int64_t{f} - g);
    const int32_t knee = wrap(int64_t{p.b} * 4);
    const int32_t inside = wrap(knee - floor_shift(knee, p.shift));
    int32_t l = (p.flags & 1) ? static_cast<int32_t>(floor_shift(inside, 3)) : inside;
    if (d > 0)
        l = static_cast<int32_t>(floor_shift(knee, p.shift));
    const int32_t den = wrap(int64_t{l} + (d < 0 ? -int64_t{d} : int64_t{d}));
    const int32_t q = den == 0 ? 0 : wrap(int64_t{l} * d / den);
    const int32_t y = wrap(int64_t{g} + q);
    e = wrap(int64_t{e} + kref::hi32(wrap(int64_t{f} - y), p.c));
    return wrap(int64_t{y} * 4);
}

TEST(KernelSoftclip, MatchesReferenceOverLengthsAndChunks)
{
    const auto wild = ktest::wild_signal(ktest::kLongLength, 31);
    const auto audio = ktest::audio_signal(ktest::kLongLength, 32, 1 << 27);
    const ClipParams params[] = {
        {1 << 23, 1 << 22, 1 << 26, 1, 0},        {1 << 23, 1 << 22, 1 << 26, 1, 1},
        {1 << 20, 1 << 24, INT32_MAX, 0, 1},      {1 << 23, 0, 1 << 26, 1, 0},
        {-(1 << 22), 1 << 21, -(1 << 20), 31, 1}, {INT32_MAX, INT32_MIN, INT32_MIN, 5, 0}};
    for (const auto *in : {&wild, &audio}) {
        for (const auto &p : params) {
            SCOPED_TRACE("a " + std::to_string(p.a) + " b " + std::to_string(p.b) + " flags " +
                         std::to_string(p.flags));
            int32_t e = 77, re = 77;
            std::vector<int32_t> out(ktest::kLongLength);
            for (int pos = 0, c = 0; pos < ktest::kLongLength; ++c) {
                const int n = std::min(ktest::chunk_sizes()[c % ktest::chunk_sizes().size()],
                                       ktest::kLongLength - pos);
                kernel_softclip(in->data() + pos, out.data() + pos, n, e, p.a, p.b, p.c, p.shift,
                                p.flags);
                pos += n;
            }
            for (int i = 0; i < ktest::kLongLength; ++i)
                ASSERT_EQ(out[i], ref_softclip((*in)[i], re, p)) << i;
            EXPECT_EQ(e, re);
            for (int n : ktest::odd_lengths()) {
                int32_t e1 = -5, e2 = -5;
                std::vector<int32_t> o(n);
                kernel_softclip(in->data(), o.data(), n, e1, p.a, p.b, p.c, p.shift, p.flags);
                for (int i = 0; i < n; ++i)
                    ASSERT_EQ(o[i], ref_softclip((*in)[i], e2, p)) << "length " << n;
                EXPECT_EQ(e1, e2);
            }
        }
    }
}

TEST(KernelSoftclip, InsideTheRangeReturnsFourTimesF)
{
    // With e = 0 and no tracking, f = (x >> 1) >> 1 lies inside [-a, a].
    const std::vector<int32_t> in = {0, 4, -4, 1 << 24, -(1 << 24), 1000001};
    std::vector<int32_t> out(in.size());
    int32_t e = 0;
    kernel_softclip(in.data(), out.data(), static_cast<int>(in.size()), e, 1 << 23, 1 << 22, 0, 1,
                    0);
    for (size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(out[i], ((in[i] >> 1) >> 1) * 4) << i;
    EXPECT_EQ(e, 0);
}

TEST(KernelSoftclip, ExcessIsFoldedBackBelowTheKnee)
{
    const int32_t a = 1 << 23, b = 1 << 22;
    const std::vector<int32_t> in = {1 << 28, INT32_MAX, -(1 << 28), INT32_MIN};
    std::vector<int32_t> out(in.size());
    int32_t e = 0;
    kernel_softclip(in.data(), out.data(), 4, e, a, b, 0, 1, 0);
    const int32_t knee = (4 * b) >> 1;
    for (size_t i = 0; i < in.size(); ++i) {
        const int32_t y = out[i] / 4;
        EXPECT_GE(std::abs(y), a) << i;
        EXPECT_LT(std::abs(y), a + knee) << i;
    }
}

TEST(KernelSoftclip, ZeroKneeDoesNotFault)
{
    // b = 0 makes l + |d| zero inside the range; q is 0 there.
    const std::vector<int32_t> in = {0, 100, -100, 1 << 30, -(1 << 30)};
    std::vector<int32_t> out(in.size());
    int32_t e = 0;
    kernel_softclip(in.data(), out.data(), 5, e, 1 << 23, 0, 0, 1, 0);
    EXPECT_EQ(out, (std::vector<int32_t>{0, 100, -100, 1 << 25, -(1 << 25)}));
    e = 0;
    kernel_softclip(in.data(), out.data(), 5, e, 1 << 23, 0, 0, 1, 1);
    EXPECT_EQ(out[0], 0);
}

} // namespace
