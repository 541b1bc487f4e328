// Checked conversions from double to the fixed-point integers that effects
// store, and pi: no conversion here can be undefined, whatever the values.
#pragma once
#include <cmath>
#include <cstdint>

#include "ZR/core/ZR_value.h"

// Pi for the formulas that take it in extended precision, and as a double.
constexpr long double ZR_PI_L = 3.141592653589793L;
constexpr double ZR_PI = (double)ZR_PI_L;

// Per-sample truncation toward zero: saturates at the int32 range, NaN
// gives 0 (the interpreter's own conversion of numbers).
inline int32_t zr_trunc_sample(double d)
{
    return ZR_truncate_to_int(d);
}

// The same for options: false (out unchanged) for NaN.
inline bool zr_trunc_clamped(double d, int32_t &out)
{
    if (std::isnan(d))
        return false;
    out = zr_trunc_sample(d);
    return true;
}

// Truncates toward zero into out; false (out unchanged) for NaN or a value
// outside the int32 range. Coefficient formulas keep their old value then.
inline bool zr_trunc_checked(double d, int32_t &out)
{
    if (!(d > -2147483649.0 && d < 2147483648.0))
        return false;
    out = (int32_t)d;
    return true;
}

// Truncation toward zero into int64, saturating; NaN gives 0.
inline int64_t zr_trunc_int64(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return INT64_MAX;
    if (d <= -9223372036854775808.0)
        return INT64_MIN;
    return (int64_t)d;
}

// The low 32 bits of zr_trunc_int64 (the wrap the fixed-point formulas
// describe): beyond the int64 range -1 above, 0 below.
inline int32_t zr_trunc_low32(double d)
{
    return (int32_t)(uint32_t)(uint64_t)zr_trunc_int64(d);
}

// The same low 32 bits inside the int64 range; beyond it the result
// saturates to the int32 range instead.
inline int32_t zr_trunc_low32_clamped(double d)
{
    const int64_t t = zr_trunc_int64(d);
    if (t == INT64_MAX)
        return INT32_MAX;
    if (t == INT64_MIN)
        return INT32_MIN;
    return (int32_t)(uint32_t)(uint64_t)t;
}

// The low 32 bits of (int64_t)a for a finite |a| < 2^63, without the x87's
// integer store: it switches the rounding control around each conversion,
// which some code placements make many times slower in a loop. a is split
// exactly into a double hi (rounded in any mode) and the rest lo, whose
// magnitude is below hi's last place.
inline uint32_t zr_trunc_low32_extended(long double a)
{
    const double hi = (double)a;
    const double lo = (double)(a - hi);
    uint64_t whole;                           // trunc(a) modulo 2^64
    if (std::fabs(hi) < 4503599627370496.0) { // below 2^52 hi may have a fraction
        const int64_t t = (int64_t)hi;
        whole = (uint64_t)t;
        // Only a whole hi with lo toward zero moves the truncation.
        if (hi - (double)t == 0.0) {
            if (hi > 0.0 && lo < 0.0)
                whole -= 1;
            else if (hi < 0.0 && lo > 0.0)
                whole += 1;
        }
    }
    else { // hi is whole; lo is below 1024 and may have a fraction
        whole = hi > 0.0 ? (uint64_t)hi : (uint64_t)(int64_t)hi;
        int64_t rest = (int64_t)lo;
        if (hi > 0.0 && lo < (double)rest)
            rest -= 1; // floor
        else if (hi < 0.0 && lo > (double)rest)
            rest += 1; // ceiling
        whole += (uint64_t)rest;
    }
    return (uint32_t)whole;
}
