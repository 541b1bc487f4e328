// Transform passes against an exact integer reference and a plain DFT; twiddle table; cycle
// counter.
#include <cmath>
#include <complex>
#include <thread>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

__extension__ typedef __int128 int128;

// Nearest integer to num / 2^k, ties to even, reduced modulo 2^32.
int32_t round_even_shift(int128 num, int k)
{
    const int128 unit = int128{1} << k;
    int128 q = num / unit, r = num % unit;
    if (r < 0) {
        q -= 1;
        r += unit;
    }
    const int128 half = unit / 2;
    if (r > half || (r == half && (q & 1) != 0))
        q += 1;
    return kref::wrap(static_cast<int64_t>(q % (int128{1} << 32)));
}

// The passes in exact integer arithmetic: forward (P 2^31 +- T) / 2^32, backward (P 2^31 +- T) /
// 2^31.
void ref_passes(std::vector<int32_t> &v, int L, bool forward)
{
    const ZR_twiddle *tw = kernel_twiddle_table();
    const int m = 1 << (L + 1);
    for (int s = 0; s <= L; ++s) {
        for (int u = 0; u < m; ++u) {
            if (u & (1 << s))
                continue;
            const int w = u + (1 << s);
            const int k = (u % (1 << s)) * (1 << (11 - s));
            const int128 c = tw[k].c, sn = tw[k].s;
            const int128 tr = c * v[2 * w] - sn * v[2 * w + 1];
            const int128 ti = c * v[2 * w + 1] + sn * v[2 * w];
            const int128 pr = int128{v[2 * u]} * (int128{1} << 31),
                         pi = int128{v[2 * u + 1]} * (int128{1} << 31);
            const int shift = forward ? 32 : 31;
            v[2 * u] = round_even_shift(pr + tr, shift);
            v[2 * u + 1] = round_even_shift(pi + ti, shift);
            v[2 * w] = round_even_shift(pr - tr, shift);
            v[2 * w + 1] = round_even_shift(pi - ti, shift);
        }
    }
}

int bitrev(int i, int bits)
{
    int r = 0;
    for (int b = 0; b < bits; ++b)
        r |= ((i >> b) & 1) << (bits - 1 - b);
    return r;
}

class KernelFft : public ::testing::Test {
protected:
    void SetUp() override { kernel_twiddle_init(); }
};

TEST_F(KernelFft, PassesMatchExactIntegerReferenceForEveryOrder)
{
    for (int L = 0; L <= 11; ++L) {
        const int m = 1 << (L + 1);
        for (uint32_t seed : {1u, 2u}) {
            // Full-range values include ties and results that wrap.
            const auto input = seed == 1 ? ktest::wild_signal(2 * m, 50 + L)
                                         : ktest::audio_signal(2 * m, 60 + L, 1 << 26);
            for (bool forward : {true, false}) {
                SCOPED_TRACE("order " + std::to_string(L) + (forward ? " forward" : " backward"));
                std::vector<int32_t> got = input, want = input;
                if (forward)
                    kernel_fft_forward(got.data(), L);
                else
                    kernel_fft_backward(got.data(), L);
                ref_passes(want, L, forward);
                ASSERT_EQ(got, want);
            }
        }
    }
}

TEST_F(KernelFft, ForwardIsScaledDftWithPositiveExponent)
{
    const int L = 7, m = 1 << (L + 1);
    const auto x = ktest::audio_signal(m, 70, 1 << 26);
    std::vector<int32_t> data(2 * m);
    for (int i = 0; i < m; ++i)
        data[2 * bitrev(i, L + 1)] = x[i];
    kernel_fft_forward(data.data(), L);
    for (int k = 0; k < m; ++k) {
        std::complex<double> sum;
        for (int n = 0; n < m; ++n)
            sum += double(x[n]) * std::polar(1.0, 2.0 * 3.141592653589793 * n * k / m);
        sum /= m;
        ASSERT_NEAR(data[2 * k], sum.real(), 4.0) << k;
        ASSERT_NEAR(data[2 * k + 1], sum.imag(), 4.0) << k;
    }
}

TEST_F(KernelFft, TwoPointForwardIsHalfSumAndHalfDifference)
{
    int32_t data[4] = {1000, 0, 600, 0};
    kernel_fft_forward(data, 0);
    EXPECT_EQ(data[0], 800);
    EXPECT_EQ(data[1], 0);
    EXPECT_EQ(data[2], 200);
    EXPECT_EQ(data[3], 0);
}

TEST_F(KernelFft, ImpulseSpreadsEvenlyAndComesBack)
{
    const int L = 11, m = 1 << (L + 1);
    std::vector<int32_t> data(2 * m, 0);
    data[0] = 1 << 24;
    kernel_fft_forward(data.data(), L);
    for (int k = 0; k < m; ++k) {
        ASSERT_EQ(data[2 * k], (1 << 24) / m) << k;
        ASSERT_EQ(data[2 * k + 1], 0) << k;
    }
    kernel_fft_backward(data.data(), L);
    EXPECT_NEAR(data[0], 1 << 24, 16);
    for (int k = 1; k < m; ++k) {
        ASSERT_NEAR(data[2 * k], 0, 16) << k;
        ASSERT_NEAR(data[2 * k + 1], 0, 16) << k;
    }
}

TEST(KernelTwiddles, TableHoldsScaledQuarterTurns)
{
    std::thread other(kernel_twiddle_init);
    kernel_twiddle_init();
    other.join();
    const ZR_twiddle *tw = kernel_twiddle_table();
    EXPECT_EQ(tw[0].c, INT32_MAX);
    EXPECT_EQ(tw[0].s, 0);
    EXPECT_EQ(tw[1024].c, 0);
    EXPECT_EQ(tw[1024].s, INT32_MAX);
    EXPECT_EQ(tw[512].c, 1518500249);
    EXPECT_EQ(tw[512].s, 1518500249);
    EXPECT_LT(tw[2047].c, -2147400000); // cos just short of pi
    EXPECT_GT(tw[2047].s, 0);
}

TEST(KernelTicks, DeltaIsDifferenceFromLastReading)
{
    uint32_t last = 0, delta = 0;
    kernel_ticks(last, delta);
    EXPECT_EQ(delta, last);
    const uint32_t first = last;
    kernel_ticks(last, delta);
    EXPECT_EQ(delta, last - first);
    EXPECT_LT(delta, 1u << 31); // moves forward
}

} // namespace
