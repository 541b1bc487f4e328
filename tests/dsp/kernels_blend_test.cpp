// The crossfade blend against 64-bit integer division, over lengths on both
// sides of the double-precision limit and samples up to the 32-bit extremes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ZR/dsp/kernels/ZR_kernels.h"

namespace {

int32_t reference(int64_t from, int64_t to, int64_t j, int64_t n)
{
    return (int32_t)((from * (n - j) + to * j) / n); // C++ division truncates toward zero
}

TEST(KernelBlend, EqualsIntegerQuotientForEveryLengthAndExtremes)
{
    std::mt19937 rng(4242);
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    for (int n : {1, 2, 3, 7, 16, 511, 512, 4097, 65535, 65536, 65537, 100000}) {
        std::vector<int32_t> from(n), to(n);
        for (int j = 0; j < n; ++j) {
            // A third extremes, a third small values (quotients near whole
            // numbers), a third anything.
            switch (rng() % 3) {
            case 0:
                from[j] = extremes[rng() % 7];
                to[j] = extremes[rng() % 7];
                break;
            case 1:
                from[j] = (int32_t)(rng() % 2001) - 1000;
                to[j] = (int32_t)(rng() % 2001) - 1000;
                break;
            default:
                from[j] = (int32_t)rng();
                to[j] = (int32_t)rng();
            }
        }
        std::vector<int32_t> out(n), in_place = from;
        kernel_blend(from.data(), to.data(), out.data(), n);
        kernel_blend(in_place.data(), to.data(), in_place.data(), n);
        for (int j = 0; j < n; ++j) {
            ASSERT_EQ(out[j], reference(from[j], to[j], j, n)) << "n " << n << " j " << j;
            ASSERT_EQ(in_place[j], out[j]) << "n " << n << " j " << j;
        }
    }
}

// Every quotient that is a whole number, and those just beside one, for the
// pipe's usual lengths: the cases where a rounded division could land on the
// wrong side.
TEST(KernelBlend, WholeAndNearWholeQuotientsTruncateExactly)
{
    for (int n : {3, 48, 512, 65536}) {
        std::vector<int32_t> from(n), to(n), out(n);
        for (int32_t delta : {-1, 0, 1}) {
            for (int j = 0; j < n; ++j) {
                // from * (n - j) + to * j = q * n + delta with q large.
                const int64_t q = (j % 2 ? 1 : -1) * (int64_t)(INT32_MAX - j);
                from[j] = (int32_t)q;
                to[j] = (int32_t)q;
                if (j > 0 && delta != 0)
                    to[j] = (int32_t)(q + (delta > 0 ? 1 : -1));
            }
            kernel_blend(from.data(), to.data(), out.data(), n);
            for (int j = 0; j < n; ++j)
                ASSERT_EQ(out[j], reference(from[j], to[j], j, n))
                    << "n " << n << " j " << j << " delta " << delta;
        }
    }
}

} // namespace
