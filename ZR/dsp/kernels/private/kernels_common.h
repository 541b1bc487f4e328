// Private helpers shared by the kernel files: the output-mode store and the fixed-point products.
// Wrapping arithmetic is done in uint32_t; converting back to int32_t is modular on every supported
// compiler.
#pragma once

#include <cstdint>

namespace zr_kernels {

inline int32_t wrap(uint32_t v)
{
    return static_cast<int32_t>(v);
}
inline int32_t wrap64(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}
inline int32_t add_w(int32_t a, int32_t b)
{
    return wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t sub_w(int32_t a, int32_t b)
{
    return wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Store y into *p in output mode Mode; the combination wraps.
template <int Mode>
inline void store(int32_t *p, int32_t y)
{
    const uint32_t v = static_cast<uint32_t>(y);
    if constexpr (Mode == 0) {
        *p = y;
    }
    else if constexpr (Mode == 1) {
        *p = wrap(static_cast<uint32_t>(*p) + v);
    }
    else if constexpr (Mode == 2) {
        *p = wrap(static_cast<uint32_t>(*p) - v);
    }
    else if constexpr (Mode == 3) {
        *p = wrap(0u - v);
    }
    else if constexpr (Mode == 4) {
        *p = wrap(0u - (static_cast<uint32_t>(*p) + v));
    }
    else {
        static_assert(Mode == 5, "output modes are 0..5");
        *p = wrap(v - static_cast<uint32_t>(*p));
    }
}

inline int64_t product(int32_t u, int32_t v)
{
    return static_cast<int64_t>(u) * v;
}
// floor(u * v / 2^32)
inline int32_t hi32(int32_t u, int32_t v)
{
    return static_cast<int32_t>(product(u, v) >> 32);
}
// floor(u * v / 2^31), modulo 2^32
inline int32_t hi31(int32_t u, int32_t v)
{
    return wrap64(product(u, v) >> 31);
}
// floor(u * v / 2^23), modulo 2^32
inline int32_t hi23(int32_t u, int32_t v)
{
    return wrap64(product(u, v) >> 23);
}

// floor(u * v / 2^24), saturated when the product leaves [-2^55, 2^55).
inline int32_t mul24(int32_t u, int32_t v)
{
    const int64_t p = product(u, v);
    const int64_t sign = p >> 63;
    if ((p >> 55) != sign)
        return static_cast<int32_t>(sign ^ INT64_C(0x7fffffff));
    return static_cast<int32_t>(p >> 24);
}

// Sign-magnitude quotient with 2^24 = 1.0; the +1 on both magnitudes keeps the divisor non-zero.
inline int32_t div24(int32_t u, int32_t v)
{
    const uint32_t a = (u < 0 ? 0u - static_cast<uint32_t>(u) : static_cast<uint32_t>(u)) + 1u;
    const uint32_t b = (v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v)) + 1u;
    const bool negative = (u < 0) != (v < 0);
    if (a / 128u >= b)
        return negative ? INT32_MIN : INT32_MAX;
    const uint32_t q = static_cast<uint32_t>((static_cast<uint64_t>(a) << 24) / b); // < 2^31
    return wrap(negative ? 0u - q : q);
}

// a + b, saturated when both addends have the same sign and the sum's sign differs.
inline int32_t add_sat(int32_t a, int32_t b)
{
    const int32_t s = add_w(a, b);
    if (((a ^ s) & (b ^ s)) < 0)
        return (a >> 31) ^ INT32_MAX;
    return s;
}

} // namespace zr_kernels

// Six instantiations of a kernel template, in mode order.
// clang-format off
#define ZR_KERNEL_VARIANTS(fn) {fn<0>, fn<1>, fn<2>, fn<3>, fn<4>, fn<5>}
// clang-format on
