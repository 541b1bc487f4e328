// ZR_Effect_Nshift and ZR_Effect_Shift: moving-delay pitch shifting.
#include "ZR/dsp/effects/ZR_Effect_Shift.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstring>

const ZR_option ZR_Effect_Nshift_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Nshift), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),      ZR_OPTION(ZR_Effect_Nshift, s),
    ZR_OPTION(ZR_Effect_Nshift, p),   ZR_OPTION_END(ZR_Effect_options),
};

// Shift shares the handlers (they take the Nshift base).
const ZR_option ZR_Effect_Shift_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Shift), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),     ZR_OPTION(ZR_Effect_Nshift, s),
    ZR_OPTION(ZR_Effect_Nshift, p),  ZR_OPTION_END(ZR_Effect_options),
};

namespace {

constexpr uint32_t kMask = ZR_Effect_Nshift::kRing - 1;

// Value between R[j] and R[j + 1] at q (14 fractional bits), 32-bit
// arithmetic on pre-shifted samples.
inline int32_t read_shifted(const int32_t *R, uint32_t w, int64_t q)
{
    const uint32_t j = (w + (uint32_t)(q >> 14)) & kMask;
    const uint32_t f = (uint32_t)(q & 16383);
    return (int32_t)((uint32_t)(R[(j + 1) & kMask] >> 14) * f +
                     (uint32_t)(R[j] >> 14) * (16384u - f));
}

// The same with 64-bit products, rounded toward minus infinity.
inline int32_t read_exact(const int32_t *R, uint32_t w, int64_t q)
{
    const uint32_t j = (w + (uint32_t)(q >> 14)) & kMask;
    const int64_t f = q & 16383;
    return (int32_t)(((int64_t)R[(j + 1) & kMask] * f + (int64_t)R[j] * (16384 - f)) >> 14);
}

} // namespace

ZR_Effect_Nshift::ZR_Effect_Nshift()
{
    options = ZR_Effect_Nshift_options;
}

ZR_Effect_Shift::ZR_Effect_Shift()
{
    options = ZR_Effect_Shift_options;
}

void ZR_Effect_Nshift::clockChanged()
{
    // A clock without a usable window (0, negative, too large) keeps the old one.
    int32_t window;
    if (zr_trunc_checked(clock.load(std::memory_order_relaxed) * 8388608.0 * (1.0 / 48000),
                         window) &&
        window > 0 && window <= kMaxWindow)
        T.store(window, std::memory_order_relaxed);
}

void ZR_Effect_Nshift::reset()
{
    std::memset(A, 0, sizeof A);
    std::memset(B, 0, sizeof B);
}

template <bool Compensated>
void ZR_Effect_Nshift::run()
{
    ZR_Buffer *bi = zr_get(input), *bo = zr_get(output);
    int32_t n = zr_min(zr_length(bi), zr_length(bo));
    const int32_t *in = samples(bi);
    int32_t *out = samples(bo);
    if (!in || !out)
        return;
    const int64_t window = T.load(std::memory_order_relaxed);
    const int64_t speed = s.load(std::memory_order_relaxed);
    int64_t pos = p.load(std::memory_order_relaxed);
    // The compensation read position depends only on T and s.
    int32_t comp_q = 0;
    bool compensate =
        Compensated && zr_trunc_checked(window / (1.0 - speed * (1.0 / 16384)), comp_q);
    for (int32_t i = 0; i < n; ++i) {
        w = (w - 1) & kMask;
        A[w] = in[i];
        pos += speed;
        if (pos < 0)
            pos += window;
        else if (pos >= window)
            pos -= window;
        if (pos < 0 || pos >= window) // speeds beyond the window
            pos = ((pos % window) + window) % window;
        const double s1 = std::sin(ZR_PI * (double)pos / (2.0 * (double)window));
        const double s2 = std::sin(ZR_PI * (double)(pos + window) / (2.0 * (double)window));
        const double g1 = s1 * s1, g2 = s2 * s2;
        if (!Compensated) {
            const double u1 = read_shifted(A, w, pos), u2 = read_shifted(A, w, pos + window);
            out[i] = zr_trunc_sample(u1 * g1 + u2 * g2);
        }
        else {
            const double u1 = read_exact(A, w, pos), u2 = read_exact(A, w, pos + window);
            const double big = g1 > g2 ? g1 : g2, small = g1 > g2 ? g2 : g1;
            const double acc = (u1 * g1 + u2 * g2) / big;
            const double ratio = g1 == g2 ? 1.0 : small / big;
            double y = acc;
            if (compensate)
                y -= ratio * read_exact(B, w, comp_q);
            const int32_t v = zr_trunc_sample(y);
            B[w] = v;
            out[i] = v;
        }
    }
    p.store((int32_t)pos, std::memory_order_relaxed);
}

void ZR_Effect_Nshift::process()
{
    run<false>();
}

void ZR_Effect_Shift::process()
{
    run<true>();
}

ZR_value ZR_Effect_Nshift::m_s(ZR_Effect_Nshift *e, ZR_value v)
{
    if (v.is_number())
        e->s.store(v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int(e->s.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Nshift::m_p(ZR_Effect_Nshift *e, ZR_value v)
{
    if (v.is_number())
        e->p.store(v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int(e->p.load(std::memory_order_relaxed));
}
