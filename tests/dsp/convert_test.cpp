// The double-to-integer conversions at and around every edge, against values
// worked out by hand.
#include "ZR/dsp/ZR_convert.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double TWO63 = 9223372036854775808.0;

TEST(Convert, EveryHelperAtItsEdges)
{
    struct Case {
        double d;
        int32_t sample; // zr_trunc_sample
        bool checked;   // zr_trunc_checked accepts
        int32_t low32;  // zr_trunc_low32
        int32_t low32_clamped;
    };
    const Case cases[] = {
        {0.0, 0, true, 0, 0},
        {-0.9, 0, true, 0, 0},
        {2.9, 2, true, 2, 2},
        {-2.9, -2, true, -2, -2},
        {2147483646.5, 2147483646, true, 2147483646, 2147483646},
        {2147483647.0, INT32_MAX, true, INT32_MAX, INT32_MAX},
        {2147483647.9, INT32_MAX, true, INT32_MAX, INT32_MAX},
        {2147483648.0, INT32_MAX, false, INT32_MIN, INT32_MIN},
        {4294967297.5, INT32_MAX, false, 1, 1},
        {-2147483648.0, INT32_MIN, true, INT32_MIN, INT32_MIN},
        {-2147483648.9, INT32_MIN, true, INT32_MIN, INT32_MIN},
        {-2147483649.0, INT32_MIN, false, INT32_MAX, INT32_MAX},
        {-4294967296.0, INT32_MIN, false, 0, 0},
        {TWO63 / 2, INT32_MAX, false, 0, 0},
        {TWO63, INT32_MAX, false, -1, INT32_MAX},
        {-TWO63, INT32_MIN, false, 0, INT32_MIN},
        {1e300, INT32_MAX, false, -1, INT32_MAX},
        {INF, INT32_MAX, false, -1, INT32_MAX},
        {-INF, INT32_MIN, false, 0, INT32_MIN},
        {NaN, 0, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.d);
        EXPECT_EQ(c.sample, zr_trunc_sample(c.d));
        EXPECT_EQ(c.low32, zr_trunc_low32(c.d));
        EXPECT_EQ(c.low32_clamped, zr_trunc_low32_clamped(c.d));
        int32_t checked = 12345, clamped = 12345;
        EXPECT_EQ(c.checked, zr_trunc_checked(c.d, checked));
        EXPECT_EQ(c.checked ? c.sample : 12345, checked);
        EXPECT_EQ(!std::isnan(c.d), zr_trunc_clamped(c.d, clamped));
        EXPECT_EQ(std::isnan(c.d) ? 12345 : c.sample, clamped);
    }
}

TEST(Convert, PiAgreesWithTheLibrary)
{
    EXPECT_EQ(ZR_PI, std::acos(-1.0));
    EXPECT_EQ(ZR_PI, (double)ZR_PI_L);
}

// The low 32 bits of an extended-precision truncation, against the x87's
// own conversion, in every rounding mode the split may meet: values of every
// size below 2^63, whole ones and their neighbours a last place away, and
// values within 1024 of the edges where hi becomes whole (2^52) or leaves
// the int64 range (2^63).
TEST(Convert, ExtendedTruncationEqualsTheCast)
{
    std::mt19937_64 rng(63);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<long double> values = {0.0L, -0.0L, 1e-4000L, -1e-4000L, 0.5L, -0.5L};
    for (int n = 0; n < 300000; ++n) {
        const long double sign = n % 2 ? -1.0L : 1.0L;
        long double v;
        switch (n % 5) {
        case 0: // any size
            v = std::ldexp((long double)unit(rng) + 1.0L, (int)(rng() % 126) - 63);
            break;
        case 1: // whole, and a last place either side
        {
            const long double whole = (long double)(rng() >> (rng() % 64));
            const int side = (int)(rng() % 3) - 1;
            v = side == 0 ? whole : std::nextafter(whole, side * 1e30L);
            break;
        }
        case 2: // with random low bits below the double's precision
            v = std::ldexp((long double)(rng() | (1ull << 63)), (int)(rng() % 64) - 64);
            break;
        case 3: // around 2^52 and 2^53
            v = std::ldexp(1.0L, 52 + (int)(rng() % 2)) + ((long double)unit(rng) - 0.5L) * 2048;
            break;
        default: // just below 2^63
            v = 9223372036854775808.0L - 1.0L - (long double)(rng() % 4096) / 4;
        }
        values.push_back(sign * v);
    }
    for (int mode : {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(0, std::fesetround(mode));
        for (long double v : values) {
            if (!(std::fabs(v) < 9223372036854775808.0L))
                continue;
            const uint32_t want = (uint32_t)(uint64_t)(int64_t)v;
            const uint32_t got = zr_trunc_low32_extended(v);
            if (want != got) {
                std::fesetround(FE_TONEAREST);
                FAIL() << "mode " << mode << ": " << (double)v << " (" << (double)(v - (double)v)
                       << " beyond its double) gives " << got << ", not " << want;
            }
        }
    }
    std::fesetround(FE_TONEAREST);
}

} // namespace
