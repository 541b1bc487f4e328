// The double-to-integer conversions at and around every edge, against values
// worked out by hand.
#include "ZR/dsp/ZR_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

} // namespace
