// ZR_Effect_Bapass: coefficient design and the two sections.
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const ZR_option ZR_Effect_Bapass_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Bapass), ZR_OPTION(ZR_Effect_Bapass, i),
    ZR_OPTION(ZR_Effect_Bapass, o),   ZR_OPTION(ZR_Effect_Bapass, f),
    ZR_OPTION(ZR_Effect_Bapass, q),   ZR_OPTION(ZR_Effect_Bapass, a),
    ZR_OPTION_END(ZR_Effect_options),
};

namespace {

constexpr double INT64_LIMIT = 9.2233720368547758e18;

bool fits_int64(double d)
{
    return std::isfinite(d) && std::fabs(d) < INT64_LIMIT;
}

// Truncation toward zero, low 32 bits kept; values without an integer
// (NaN, beyond 64 bits) saturate instead of being undefined.
int32_t truncate_low32(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= INT64_LIMIT)
        return INT32_MAX;
    if (d <= -INT64_LIMIT)
        return INT32_MIN;
    return (int32_t)(uint32_t)(uint64_t)(int64_t)d;
}

// Compares floats by their bits, so that a NaN equals itself.
bool same_bits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

bool ZR_bandpass_design(float f, float q, int32_t fs_int, ZR_bandpass_coefficients *out)
{
    if (q == 0.0f || q == 1.0f || f == 0.0f || fs_int == 0)
        return false;
    const double pi = 3.141592653589793;
    double fs = fs_int;
    double A = (double)f * q, B = (double)f / q;
    double wA = A * 2.0 * pi, wB = B * 2.0 * pi;
    double D = (wB - wA) / (wB * wA), E = 1.0 / (wB * wA);
    double g = fs * D * 0.5, h = fs * E * fs;
    double c1 = (2.0 * g + 1.0) / (g + h), c2 = 2.0 * g / (g + h), c3 = g / (g + h);
    double k1 = c1 * 32768.0 * 65536.0 * 0.5, k2 = c2 * 32768.0 * 65536.0,
           k3 = c3 * 32768.0 * 65536.0;
    if (!fits_int64(k1) || !fits_int64(k2) || !fits_int64(k3))
        return false;
    out->c1 = c1;
    out->c2 = c2;
    out->c3 = c3;
    out->k1 = truncate_low32(k1);
    out->k2 = truncate_low32(k2);
    out->k3 = truncate_low32(k3);
    return true;
}

ZR_Effect_Bapass::ZR_Effect_Bapass()
{
    options = ZR_Effect_Bapass_options;
}

void ZR_Effect_Bapass::compute_coefficients()
{
    // Options arrive from different threads: recompute until f, q and clock
    // did not change meanwhile, so the last change is never overwritten by a
    // result from older values. The handlers' stores and these accesses are
    // sequentially consistent: relaxed order lets a thread's stores pass its
    // own later loads, and a stale result would win.
    const auto sc = std::memory_order_seq_cst;
    for (;;) {
        float f = frequency.load(sc);
        float r = q.load(sc);
        int32_t fs = clock.load(sc);
        ZR_bandpass_coefficients c;
        if (ZR_bandpass_design(f, r, fs, &c)) {
            c1.store(c.c1, sc);
            c2.store(c.c2, sc);
            c3.store(c.c3, sc);
            k1.store(c.k1, sc);
            k2.store(c.k2, sc);
            k3.store(c.k3, sc);
        }
        if (same_bits(f, frequency.load(sc)) && same_bits(r, q.load(sc)) && fs == clock.load(sc))
            return;
    }
}

void ZR_Effect_Bapass::reset()
{
    x1 = x2 = y1 = y2 = 0;
    fx1 = fx2 = fy1 = fy2 = 0.0;
}

void ZR_Effect_Bapass::process()
{
    ZR_Buffer *source = zr_get(input), *target = zr_get(output);
    int32_t *in = samples(source);
    int32_t *out = samples(target);
    if (!in || !out)
        return;
    int32_t n = std::min(source->effective_length(), target->effective_length());
    if (n <= 0)
        return;
    if (floating.load(std::memory_order_relaxed)) {
        process_floating(in, out, n);
        return;
    }
    auto kernel = kernel_bandpass2[mode_index()];
    int32_t a = k1.load(std::memory_order_relaxed), b = k2.load(std::memory_order_relaxed),
            c = k3.load(std::memory_order_relaxed);
    for (int32_t done = 0; done < n;) { // the kernel's counter holds 65536
        int32_t chunk = std::min(n - done, 65536);
        kernel(in + done, out + done, chunk, a, b, c, x1, x2, y1, y2);
        done += chunk;
    }
}

namespace {

template <int MODE>
void floating_section(const int32_t *in, int32_t *out, int32_t n, double c1, double c2, double c3,
                      double &fx1, double &fx2, double &fy1, double &fy2)
{
    double x1 = fx1, x2 = fx2, y1 = fy1, y2 = fy2;
    for (int32_t i = 0; i < n; ++i) {
        double x = in[i];
        long double e =
            ((long double)x - x2) * c3 - y2 + (long double)y2 * c2 + y1 + y1 - (long double)y1 * c1;
        double y = (double)e;
        double o = out[i];
        switch (MODE) {
        case ZR_MODE_SET:
            out[i] = truncate_low32(y);
            break;
        case ZR_MODE_ADD:
            out[i] = truncate_low32(o + y);
            break;
        case ZR_MODE_SUB:
            out[i] = truncate_low32(o - y);
            break;
        case ZR_MODE_STN:
            out[i] = truncate_low32(-y);
            break;
        case ZR_MODE_ADN:
            out[i] = truncate_low32(-(o + y));
            break;
        default:
            out[i] = truncate_low32(y - o);
            break;
        }
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    fx1 = x1;
    fx2 = x2;
    fy1 = y1;
    fy2 = y2;
}

} // namespace

void ZR_Effect_Bapass::process_floating(const int32_t *in, int32_t *out, int32_t n)
{
    typedef void (*section_fn)(const int32_t *, int32_t *, int32_t, double, double, double,
                               double &, double &, double &, double &);
    static const section_fn sections[ZR_MODE_COUNT] = {floating_section<0>, floating_section<1>,
                                                       floating_section<2>, floating_section<3>,
                                                       floating_section<4>, floating_section<5>};
    sections[mode_index()](in, out, n, c1.load(std::memory_order_relaxed),
                           c2.load(std::memory_order_relaxed), c3.load(std::memory_order_relaxed),
                           fx1, fx2, fy1, fy2);
}

ZR_value ZR_Effect_Bapass::m_i(ZR_Effect_Bapass *e, ZR_value v)
{
    return zr_buffer_option(e->input, v);
}

ZR_value ZR_Effect_Bapass::m_o(ZR_Effect_Bapass *e, ZR_value v)
{
    return zr_buffer_option(e->output, v);
}

ZR_value ZR_Effect_Bapass::m_f(ZR_Effect_Bapass *e, ZR_value v)
{
    if (v.is_number()) {
        e->frequency.store((float)v.to_double(), std::memory_order_seq_cst);
        e->compute_coefficients();
    }
    return ZR_value::of_float(e->frequency.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Bapass::m_q(ZR_Effect_Bapass *e, ZR_value v)
{
    if (v.is_number()) {
        e->q.store((float)v.to_double(), std::memory_order_seq_cst);
        e->compute_coefficients();
    }
    return ZR_value::of_float(e->q.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Bapass::m_a(ZR_Effect_Bapass *e, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT && v.value.s)
        e->floating.store(spcpp_same_word(v.value.s, "floating"), std::memory_order_relaxed);
    return ZR_value::of_text(e->floating.load(std::memory_order_relaxed) ? "floating" : "integer");
}
