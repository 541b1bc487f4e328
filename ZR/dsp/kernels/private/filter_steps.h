// Per-sample steps of the one-pole and band-pass kernels, rewritten so that
// the loop-carried chain from one output to the next is short.
#pragma once

#include <cstdint>

#include "ZR/dsp/kernels/private/kernels_common.h"

namespace zr_kernels {

// v * k and v - k with k taken straight from memory: where the coefficients do not fit the
// registers beside the state, the compiler would reload each into a register first, an
// instruction more than a memory operand.
[[gnu::always_inline]] inline int64_t mul_mem(int64_t v, const int64_t &k)
{
#if defined(__GNUC__) && defined(__x86_64__)
    asm("imulq %1, %0" : "+r"(v) : "m"(k) : "cc");
    return v;
#else
    return v * k;
#endif
}
[[gnu::always_inline]] inline uint32_t sub_mem(uint32_t v, const uint32_t &k)
{
#if defined(__GNUC__) && defined(__x86_64__)
    asm("subl %1, %0" : "+r"(v) : "m"(k) : "cc");
    return v;
#else
    return v - k;
#endif
}

// One-pole low-pass with its state kept as o = b - 2^31 (modulo 2^32), which
// folds the 2^31 offset of the unsigned difference into the state: u = x - o.
struct OnepoleStep {
    uint32_t o, alpha, half;
    OnepoleStep(int32_t b, uint32_t a)
        : o(static_cast<uint32_t>(b) - 0x80000000u), alpha(a), half(a >> 1)
    {
    }
    // Updates the state and returns it, still offset.
    [[gnu::always_inline]] uint32_t step(int32_t x)
    {
        const uint32_t u = static_cast<uint32_t>(x) - o;
        o = o + static_cast<uint32_t>((static_cast<uint64_t>(u) * alpha) >> 32) - half;
        return o;
    }
    int32_t b() const { return wrap(o + 0x80000000u); }
    void set_alpha(uint32_t a)
    {
        alpha = a;
        half = a >> 1;
    }
};

// Second-order band-pass keeping its outputs negated (m = -y) in 64 bits.
// With no coefficient at -2^31 no hi31 wraps, and y1 - hi31(a, y1) equals
// -floor((2^31 - a) y1 / 2^31), so the exact sum of the seven terms is
//   sum = hi31(c, x - x2) + floor((2^31 - b) m2 / 2^31) - 2 floor((2^31 - a) m1 / 2^31):
// one product, one shift and one lea from m1 to the next m. The products stay
// below 2^63 in magnitude (2^31 - a < 2^32, |m| <= 2^31).
struct BandpassStep {
    int64_t na, nb, c, m1, m2;
    BandpassStep(int32_t a, int32_t b, int32_t c_, int32_t y1, int32_t y2)
        : na((INT64_C(1) << 31) - a), nb((INT64_C(1) << 31) - b), c(c_), m1(-int64_t{y1}),
          m2(-int64_t{y2})
    {
    }
    static bool usable(int32_t a, int32_t b, int32_t c)
    {
        return a != INT32_MIN && b != INT32_MIN && c != INT32_MIN;
    }
    // Takes the input and the input two samples before; returns -y modulo 2^32.
    [[gnu::always_inline]] uint32_t step(int32_t x, int32_t x2)
    {
        const int64_t part = (c * int64_t{sub_w(x, x2)} >> 31) + (nb * m2 >> 31);
        int64_t m = 2 * (na * m1 >> 31) - part;
        // -y lies in [-(2^31 - 1), 2^31] unless the sum saturates.
        if (__builtin_expect(static_cast<uint64_t>(m + INT32_MAX) > UINT32_MAX, 0))
            m = m < -INT32_MAX ? -int64_t{INT32_MAX} : INT64_C(1) << 31;
        m2 = m1;
        m1 = m;
        return static_cast<uint32_t>(m);
    }
    void set_coefficients(int32_t a, int32_t b, int32_t c_)
    {
        na = (INT64_C(1) << 31) - a;
        nb = (INT64_C(1) << 31) - b;
        c = c_;
    }
    int32_t y1() const { return static_cast<int32_t>(-m1); }
    int32_t y2() const { return static_cast<int32_t>(-m2); }
};

// The same band-pass in floating point: the seven terms summed in extended
// precision, rounded once to double.
struct FloatBandpassStep {
    double c1, c2, c3, x1, x2, y1, y2;
    [[gnu::always_inline]] double step(double x)
    {
        const long double e =
            ((long double)x - x2) * c3 - y2 + (long double)y2 * c2 + y1 + y1 - (long double)y1 * c1;
        const double y = (double)e;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

} // namespace zr_kernels
