// Shared pieces of the kernel tests: plain 64-bit reference arithmetic, test signals, and a harness
// that checks a kernel against a per-sample reference over odd lengths and chunkings in all six
// modes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace kref {

// Reduce to the signed 32-bit value congruent modulo 2^32.
inline int32_t wrap(int64_t v)
{
    int64_t r = v % (INT64_C(1) << 32);
    if (r < 0)
        r += INT64_C(1) << 32;
    if (r >= (INT64_C(1) << 31))
        r -= INT64_C(1) << 32;
    return static_cast<int32_t>(r);
}

// floor(p / 2^k) by division, independent of shift semantics.
inline int64_t floor_shift(int64_t p, int k)
{
    const int64_t d = INT64_C(1) << k;
    int64_t q = p / d;
    if (p % d != 0 && p < 0)
        --q;
    return q;
}

inline int32_t hi32(int32_t u, int32_t v)
{
    return static_cast<int32_t>(floor_shift(int64_t{u} * v, 32));
}
inline int32_t hi31(int32_t u, int32_t v)
{
    return wrap(floor_shift(int64_t{u} * v, 31));
}
inline int32_t hi23(int32_t u, int32_t v)
{
    return wrap(floor_shift(int64_t{u} * v, 23));
}

inline int32_t mul24(int32_t u, int32_t v)
{
    const int64_t p = int64_t{u} * v;
    if (p >= (INT64_C(1) << 55))
        return INT32_MAX;
    if (p < -(INT64_C(1) << 55))
        return INT32_MIN;
    return static_cast<int32_t>(floor_shift(p, 24));
}

// The exact quotient (|u| + 1) 2^24 / (|v| + 1) rounded toward zero, signed and clamped to the
// 32-bit range.
inline int32_t div24(int32_t u, int32_t v)
{
    const __int128 a = (u < 0 ? -__int128{u} : __int128{u}) + 1;
    const __int128 b = (v < 0 ? -__int128{v} : __int128{v}) + 1;
    const __int128 q = ((u < 0) != (v < 0) ? -a : a) * (__int128{1} << 24) / b;
    return static_cast<int32_t>(q > INT32_MAX ? INT32_MAX : q < INT32_MIN ? INT32_MIN : q);
}

inline int32_t add_sat(int32_t u, int32_t v)
{
    const int64_t s = int64_t{u} + v;
    return static_cast<int32_t>(s > INT32_MAX ? INT32_MAX : s < INT32_MIN ? INT32_MIN : s);
}

// The output-mode combination of y with what out[i] held.
inline int32_t combine(int mode, int32_t out, int32_t y)
{
    switch (mode) {
    case 0:
        return y;
    case 1:
        return wrap(int64_t{out} + y);
    case 2:
        return wrap(int64_t{out} - y);
    case 3:
        return wrap(-int64_t{y});
    case 4:
        return wrap(-(int64_t{out} + y));
    default:
        return wrap(int64_t{y} - out);
    }
}

} // namespace kref

namespace ktest {

// Full-range noise salted with the extreme values.
inline std::vector<int32_t> wild_signal(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<int32_t> s(n);
    const int32_t specials[] = {INT32_MIN, INT32_MAX, 0, -1, 1, INT32_MIN + 1, 1 << 30, -(1 << 30)};
    for (size_t i = 0; i < n; ++i) {
        const uint32_t r = gen();
        s[i] = (r % 7 == 0) ? specials[(r >> 8) % 8] : static_cast<int32_t>(gen());
    }
    return s;
}

// Audio-like signal within +-scale.
inline std::vector<int32_t> audio_signal(size_t n, uint32_t seed, int32_t scale = 1 << 30)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int32_t> dist(-scale, scale);
    std::vector<int32_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = dist(gen);
    return s;
}

inline const std::vector<int> &odd_lengths()
{
    static const std::vector<int> lengths = {1,  2,  3,  4,  5,  6,  7,  8,   9,  10,
                                             11, 12, 13, 14, 15, 16, 31, 143, 511};
    return lengths;
}

// Block sizes cycled to cut one long signal into chunks.
inline const std::vector<int> &chunk_sizes()
{
    static const std::vector<int> sizes = {1, 7, 64, 3, 143, 2, 16, 31, 5, 97};
    return sizes;
}

constexpr int kLongLength = 1500;

// kernel(pos, n, out, state, mode) runs the kernel over samples pos .. pos + n - 1 into out;
// reference(pos, state) returns y for sample pos and advances the state.
template <class State>
struct Harness {
    std::function<void(int, int, int32_t *, State &, int)> kernel;
    std::function<int32_t(int, State &)> reference;
    State initial;

    // out's prior contents; the combination reads them.
    std::vector<int32_t> prior(int n) const
    {
        return wild_signal(static_cast<size_t>(n), 977u + static_cast<uint32_t>(n));
    }

    std::vector<int32_t> expected(int n, int mode, State &st) const
    {
        std::vector<int32_t> out = prior(n);
        for (int i = 0; i < n; ++i)
            out[i] = kref::combine(mode, out[i], reference(i, st));
        return out;
    }

    void run() const
    {
        for (int mode = 0; mode < 6; ++mode) {
            for (int n : odd_lengths()) {
                SCOPED_TRACE("mode " + std::to_string(mode) + " length " + std::to_string(n));
                State rs = initial, ks = initial;
                const std::vector<int32_t> want = expected(n, mode, rs);
                std::vector<int32_t> got = prior(n);
                kernel(0, n, got.data(), ks, mode);
                ASSERT_EQ(got, want);
                ASSERT_TRUE(ks == rs);
            }
            SCOPED_TRACE("mode " + std::to_string(mode) + " chunked");
            State rs = initial, ks = initial;
            const std::vector<int32_t> want = expected(kLongLength, mode, rs);
            std::vector<int32_t> got = prior(kLongLength);
            for (int pos = 0, c = 0; pos < kLongLength; ++c) {
                const int n = std::min(chunk_sizes()[c % chunk_sizes().size()], kLongLength - pos);
                kernel(pos, n, got.data() + pos, ks, mode);
                pos += n;
            }
            ASSERT_EQ(got, want);
            ASSERT_TRUE(ks == rs);
        }
    }
};

} // namespace ktest
