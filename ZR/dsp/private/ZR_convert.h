// Checked conversions from double to the fixed-point integers that effects
// store: no conversion here can be undefined, whatever the option values.
#pragma once
#include <cmath>
#include <cstdint>

// Pi for the formulas that take it in extended precision, and as a double.
constexpr long double ZR_PI_L = 3.141592653589793L;
constexpr double ZR_PI = (double)ZR_PI_L;

// Truncates toward zero into out; false (out unchanged) for NaN or a value
// outside the int32 range. Coefficient formulas keep their old value then.
inline bool zr_trunc_checked(double d, int32_t &out)
{
    if (!(d > -2147483649.0 && d < 2147483648.0))
        return false;
    out = (int32_t)d;
    return true;
}

// Truncates toward zero, saturating at the int32 range; false for NaN.
inline bool zr_trunc_clamped(double d, int32_t &out)
{
    if (std::isnan(d))
        return false;
    if (d >= 2147483647.0)
        out = INT32_MAX;
    else if (d <= -2147483648.0)
        out = INT32_MIN;
    else
        out = (int32_t)d;
    return true;
}

// Per-sample truncation toward zero: saturates, NaN gives 0.
inline int32_t zr_trunc_sample(double d)
{
    int32_t out = 0;
    zr_trunc_clamped(d, out);
    return out;
}

// Truncation toward zero keeping the low 32 bits (the wrap the fixed-point
// formulas describe); values beyond the int64 range saturate, NaN gives 0.
inline int32_t zr_trunc_low32(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return -1;
    if (d <= -9223372036854775808.0)
        return 0;
    return (int32_t)(uint32_t)(uint64_t)(int64_t)d;
}

// Truncation toward zero keeping the low 32 bits inside the int64 range;
// beyond it the result saturates to the int32 range instead, NaN gives 0.
inline int32_t zr_trunc_low32_clamped(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return INT32_MAX;
    if (d <= -9223372036854775808.0)
        return INT32_MIN;
    return (int32_t)(uint32_t)(uint64_t)(int64_t)d;
}
