// ZR_Effect_Bapass: coefficient design and the two sections.
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_convert.h"
#include "ZR/dsp/private/ZR_recompute.h"

#include <algorithm>
#include <cmath>

const ZR_option ZR_Effect_Bapass_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Bapass), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),      ZR_OPTION(ZR_Effect_Bapass, f),
    ZR_OPTION(ZR_Effect_Bapass, q),   ZR_OPTION(ZR_Effect_Bapass, a),
    ZR_OPTION_END(ZR_Effect_options),
};

namespace {

bool fits_int64(double d)
{
    return std::isfinite(d) && std::fabs(d) < 9223372036854775808.0;
}

// c1 and c3 of the design for usable q and fs (c2 is twice c3).
inline void bandpass_quotients(float f, float q, double fs, double *c1, double *c3)
{
    const double pi = ZR_PI;
    double A = (double)f * q, B = (double)f / q;
    double wA = A * 2.0 * pi, wB = B * 2.0 * pi;
    double D = (wB - wA) / (wB * wA), E = 1.0 / (wB * wA);
    double g = fs * D * 0.5, h = fs * E * fs;
    *c1 = (2.0 * g + 1.0) / (g + h);
    *c3 = g / (g + h);
}

// The coefficients from the quotients; false when they do not fit.
inline bool bandpass_finish(double c1, double c3, ZR_bandpass_coefficients *out)
{
    // 2g / (g + h) is twice g / (g + h) to the bit: scaling by 2 commutes
    // with rounding short of over- or underflow, and for float f and q and
    // int fs, |g / (g + h)| is 0, infinite, or between about 1e-61 and 2^53.
    const double c2 = 2.0 * c3;
    const double k1 = c1 * 32768.0 * 65536.0 * 0.5, k2 = c2 * 32768.0 * 65536.0,
                 k3 = c3 * 32768.0 * 65536.0;
    // k2 is twice k3 to the bit as well, so k3 fits whenever k2 does.
    if (!fits_int64(k1) || !fits_int64(k2))
        return false;
    // Inside the int64 range the clamped truncation is the plain one.
    auto low32 = [](double k) { return (int32_t)(uint32_t)(uint64_t)(int64_t)k; };
    out->c1 = c1;
    out->c2 = c2;
    out->c3 = c3;
    out->k1 = low32(k1);
    out->k2 = low32(k2);
    out->k3 = low32(k3);
    return true;
}

} // namespace

bool ZR_bandpass_design(float f, float q, int32_t fs, ZR_bandpass_coefficients *out)
{
    if (q == 0.0f || q == 1.0f || f == 0.0f || fs == 0)
        return false;
    double c1, c3;
    bandpass_quotients(f, q, fs, &c1, &c3);
    return bandpass_finish(c1, c3, out);
}

void ZR_bandpass_designs(const float *f, int32_t n, float q, int32_t fs,
                         ZR_bandpass_coefficients *out, bool *ok)
{
    if (q == 0.0f || q == 1.0f || fs == 0) {
        std::fill(ok, ok + n, false);
        return;
    }
    // The quotients of up to CHUNK frequencies in a loop free of branches, so
    // that the compiler may put them side by side in vector registers; each
    // lane rounds as the scalar operation would.
    constexpr int32_t CHUNK = 64;
    double c1[CHUNK], c3[CHUNK];
    for (int32_t start = 0; start < n; start += CHUNK) {
        const int32_t m = std::min(CHUNK, n - start);
        const float *fi = f + start;
        // 1 stands in for f 0 (not formed), keeping its lane free of 0 / 0.
        for (int32_t i = 0; i < m; ++i)
            bandpass_quotients(fi[i] + (float)(fi[i] == 0.0f), q, fs, &c1[i], &c3[i]);
        for (int32_t i = 0; i < m; ++i)
            ok[start + i] = fi[i] != 0.0f && bandpass_finish(c1[i], c3[i], &out[start + i]);
    }
}

ZR_Effect_Bapass::ZR_Effect_Bapass()
{
    options = ZR_Effect_Bapass_options;
}

void ZR_Effect_Bapass::compute_coefficients(const ZR_bandpass_known *known)
{
    struct Inputs {
        float f, q;
        int32_t fs;
    };
    const auto sc = std::memory_order_seq_cst;
    zr_recompute_until_stable(
        [&] {
            return Inputs{frequency.load(sc), q.load(sc), clock.load(sc)};
        },
        [&](const Inputs &in) {
            ZR_bandpass_coefficients c;
            if (known && known->f == in.f && known->q == in.q && known->fs == in.fs) {
                if (!known->ok)
                    return;
                c = known->c;
            }
            else if (!ZR_bandpass_design(in.f, in.q, in.fs, &c)) {
                return;
            }
            c1.store(c.c1, sc);
            c2.store(c.c2, sc);
            c3.store(c.c3, sc);
            k1.store(c.k1, sc);
            k2.store(c.k2, sc);
            k3.store(c.k3, sc);
        });
}

void ZR_Effect_Bapass::reset()
{
    x1 = x2 = y1 = y2 = 0;
    fx1 = fx2 = fy1 = fy2 = 0.0;
}

void ZR_Effect_Bapass::process()
{
    const auto [in, out, n] = fetch_blocks();
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

void ZR_Effect_Bapass::process_floating(const int32_t *in, int32_t *out, int32_t n)
{
    ZR_bandpass_float_state s{c1.load(std::memory_order_relaxed),
                              c2.load(std::memory_order_relaxed),
                              c3.load(std::memory_order_relaxed),
                              fx1,
                              fx2,
                              fy1,
                              fy2};
    kernel_bandpass2_float[mode_index()](in, out, n, s);
    fx1 = s.x1;
    fx2 = s.x2;
    fy1 = s.y1;
    fy2 = s.y2;
}

ZR_value ZR_Effect_Bapass::m_f(ZR_Effect_Bapass *e, ZR_value v)
{
    if (v.is_number()) {
        e->frequency.store((float)v.to_double(), std::memory_order_seq_cst);
        e->compute_coefficients();
    }
    return ZR_value::of_float(e->frequency.load(std::memory_order_relaxed));
}

void ZR_Effect_Bapass::set_frequency(const ZR_bandpass_known &known)
{
    frequency.store(known.f, std::memory_order_seq_cst);
    compute_coefficients(&known);
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
