// Recursive filter kernels: one-pole low-pass and high-pass, second-order band-pass section in
// fixed and floating point, and the fused cascade of four sections.
#include <algorithm>

#include "ZR/dsp/ZR_convert.h"
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/cascade_plan.h"
#include "ZR/dsp/kernels/private/filter_steps.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

template <int Mode>
void lowpass1(const int32_t *in, int32_t *out, int n, const uint32_t &alpha_ref, int32_t &state)
{
    OnepoleStep f(state, alpha_ref);
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i, wrap(f.step(in[i]) + 0x80000000u));
    state = f.b();
}

// y = c (x - x2) + (2 - a) y1 - (1 - b) y2 with each product as hi31; the exact sum saturates once.
// The plain form serves coefficients of -2^31, where a hi31 may wrap.
template <int Mode>
void bandpass2_plain(const int32_t *in, int32_t *out, int n, int32_t a, int32_t b, int32_t c,
                     int32_t &x1_ref, int32_t &x2_ref, int32_t &y1_ref, int32_t &y2_ref)
{
    int32_t x1 = x1_ref, x2 = x2_ref, y1 = y1_ref, y2 = y2_ref;
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        const int64_t ay1 = hi31(a, y1);
        const int64_t sum =
            int64_t{hi31(c, sub_w(x, x2))} - y2 + hi31(b, y2) + 2 * int64_t{y1} - 2 * ay1;
        const int32_t y =
            static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(sum, INT32_MIN), INT32_MAX));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        store<Mode>(out + i, y);
    }
    x1_ref = x1;
    x2_ref = x2;
    y1_ref = y1;
    y2_ref = y2;
}

template <int Mode>
void bandpass2(const int32_t *in, int32_t *out, int n, int32_t a, int32_t b, int32_t c,
               int32_t &x1_ref, int32_t &x2_ref, int32_t &y1_ref, int32_t &y2_ref)
{
    if (!BandpassStep::usable(a, b, c)) {
        bandpass2_plain<Mode>(in, out, n, a, b, c, x1_ref, x2_ref, y1_ref, y2_ref);
        return;
    }
    BandpassStep f(a, b, c, y1_ref, y2_ref);
    int32_t x1 = x1_ref, x2 = x2_ref;
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        store<Mode>(out + i, wrap(0u - f.step(x, x2)));
        x2 = x1;
        x1 = x;
    }
    x1_ref = x1;
    x2_ref = x2;
    y1_ref = f.y1();
    y2_ref = f.y2();
}

// The output combination is formed in double before the truncation.
template <int Mode>
void bandpass2_float(const int32_t *in, int32_t *out, int n, ZR_bandpass_float_state &s)
{
    FloatBandpassStep f{s.c1, s.c2, s.c3, s.x1, s.x2, s.y1, s.y2};
    for (int i = 0; i < n; ++i) {
        const double y = f.step(in[i]);
        const double o = out[i];
        double v;
        if constexpr (Mode == ZR_MODE_SET)
            v = y;
        else if constexpr (Mode == ZR_MODE_ADD)
            v = o + y;
        else if constexpr (Mode == ZR_MODE_SUB)
            v = o - y;
        else if constexpr (Mode == ZR_MODE_STN)
            v = -y;
        else if constexpr (Mode == ZR_MODE_ADN)
            v = -(o + y);
        else
            v = y - o;
        out[i] = zr_trunc_low32_clamped(v);
    }
    s.x1 = f.x1;
    s.x2 = f.x2;
    s.y1 = f.y1;
    s.y2 = f.y2;
}

} // namespace

const ZR_kernel_lowpass1_fn kernel_lowpass1[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(lowpass1);
const ZR_kernel_bandpass2_fn kernel_bandpass2[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(bandpass2);
const ZR_kernel_bandpass2_float_fn kernel_bandpass2_float[ZR_MODE_COUNT] =
    ZR_KERNEL_VARIANTS(bandpass2_float);

void kernel_hipass1(const int32_t *in, int32_t *out, int n, uint32_t alpha, int32_t &state)
{
    OnepoleStep f(state, alpha);
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        out[i] = wrap(static_cast<uint32_t>(x) - 0x80000000u - f.step(x));
    }
    state = f.b();
}

namespace {

// Both stages of the cascade, the four recurrences interleaved; lo - y = (o + 2^31) + m,
// modulo 2^32. The steps are OnepoleStep's and BandpassStep's, with the state in registers and
// the ten coefficients in memory, read as operands. The band-passes take their x2 from the caller.
// The coefficients live apart from the state, so that the state can stay in registers.
struct Cascade4Coefficients {
    int64_t alpha, na, nb, c;
    uint32_t half;
    void set(uint32_t alpha_, int32_t a, int32_t b, int32_t c_)
    {
        *this = {alpha_, (INT64_C(1) << 31) - a, (INT64_C(1) << 31) - b, c_, alpha_ >> 1};
    }
};

struct Cascade4 {
    using Coefficients = Cascade4Coefficients;
    uint32_t o0, o1;
    int64_t m10, m20, m11, m21;

    explicit Cascade4(const ZR_cascade4_state &s)
        : o0(static_cast<uint32_t>(s.low[0].b) - 0x80000000u),
          o1(static_cast<uint32_t>(s.low[1].b) - 0x80000000u), m10(-int64_t{s.band[0].y1}),
          m20(-int64_t{s.band[0].y2}), m11(-int64_t{s.band[1].y1}), m21(-int64_t{s.band[1].y2})
    {
    }
    [[gnu::always_inline]] static uint32_t low(uint32_t &o, int32_t x, const Coefficients &k)
    {
        const uint32_t u = static_cast<uint32_t>(x) - o;
        const uint64_t p = static_cast<uint64_t>(mul_mem(int64_t{u}, k.alpha));
        // o - half does not wait for the product: the chain from o to o is sub, imul, shr, add.
        o = sub_mem(o, k.half) + static_cast<uint32_t>(p >> 32);
        return o;
    }
    [[gnu::always_inline]] static uint32_t band(int64_t &m1, int64_t &m2, int32_t x, int32_t x2,
                                                const Coefficients &k)
    {
        // The terms off the chain are summed first; from m1 to m it is imul, sar, lea.
        const int64_t rest = -(mul_mem(sub_w(x, x2), k.c) >> 31) - (mul_mem(m2, k.nb) >> 31);
        int64_t m = rest + 2 * (mul_mem(m1, k.na) >> 31);
        if (__builtin_expect(static_cast<uint64_t>(m + INT32_MAX) > UINT32_MAX, 0))
            m = m < -INT32_MAX ? -int64_t{INT32_MAX} : INT64_C(1) << 31;
        m2 = m1;
        m1 = m;
        return static_cast<uint32_t>(m);
    }
    [[gnu::always_inline]] void sample(const Coefficients *k, const int32_t *in, int32_t *mid,
                                       int32_t *out, int j, int32_t x2, int32_t v2)
    {
        const int32_t x = in[j];
        const int32_t v1 = wrap(low(o0, x, k[0]) + band(m10, m20, x, x2, k[0]) + 0x80000000u);
        mid[j] = v1;
        out[j] = wrap(low(o1, v1, k[1]) + band(m11, m21, v1, v2, k[1]) + 0x80000000u);
    }
    // Writes the state after n >= 1 samples back into s.
    void finish(const int32_t *in, const int32_t *mid, int n, ZR_cascade4_state &s) const
    {
        ZR_bandpass_state &p1 = s.band[0], &p2 = s.band[1];
        const int32_t in1 = p1.x1, mid1 = p2.x1;
        p1.x1 = in[n - 1];
        p1.x2 = n >= 2 ? in[n - 2] : in1;
        p2.x1 = mid[n - 1];
        p2.x2 = n >= 2 ? mid[n - 2] : mid1;
        s.low[0].b = wrap(o0 + 0x80000000u);
        s.low[1].b = wrap(o1 + 0x80000000u);
        p1.y1 = static_cast<int32_t>(-m10);
        p1.y2 = static_cast<int32_t>(-m20);
        p2.y1 = static_cast<int32_t>(-m11);
        p2.y2 = static_cast<int32_t>(-m21);
    }
};

} // namespace

void kernel_cascade4_scalar(const int32_t *in, int32_t *mid, int32_t *out, int n,
                            ZR_cascade4_state &s)
{
    if (n < 1)
        return;
    Cascade4 f(s);
    Cascade4Coefficients k[2];
    for (int i = 0; i < 2; ++i)
        k[i].set(s.low[i].alpha, s.band[i].a, s.band[i].b, s.band[i].c);
    const ZR_bandpass_state &p1 = s.band[0], &p2 = s.band[1];
    f.sample(k, in, mid, out, 0, p1.x2, p2.x2);
    if (n >= 2)
        f.sample(k, in, mid, out, 1, p1.x1, p2.x1);
    // Two samples a turn: the recurrences' history moves by renaming instead of copies.
    int j = 2;
    for (; j + 1 < n; j += 2) {
        f.sample(k, in, mid, out, j, in[j - 2], mid[j - 2]);
        f.sample(k, in, mid, out, j + 1, in[j - 1], mid[j - 1]);
    }
    if (j < n)
        f.sample(k, in, mid, out, j, in[j - 2], mid[j - 2]);
    f.finish(in, mid, n, s);
}

void kernel_cascade4_planned_scalar(const int32_t *in, int32_t *mid, int32_t *out,
                                    const ZR_cascade4_step *plan, int count, ZR_cascade4_state &s)
{
    const int n = plan[count - 1].end;
    if (n < 1)
        return;
    Cascade4 f(s);
    Cascade4Coefficients k[2];
    const ZR_bandpass_state &p1 = s.band[0], &p2 = s.band[1];
    int j = 0;
    for (int g = 0; g < count; ++g) {
        const ZR_cascade4_step &p = plan[g];
        for (int i = 0; i < 2; ++i)
            k[i].set(p.alpha[i], p.a[i], p.b[i], p.c[i]);
        if (j == 0 && p.end > 0)
            f.sample(k, in, mid, out, j++, p1.x2, p2.x2);
        if (j == 1 && p.end > 1)
            f.sample(k, in, mid, out, j++, p1.x1, p2.x1);
        for (; j + 1 < p.end; j += 2) {
            f.sample(k, in, mid, out, j, in[j - 2], mid[j - 2]);
            f.sample(k, in, mid, out, j + 1, in[j - 1], mid[j - 1]);
        }
        if (j < p.end) {
            f.sample(k, in, mid, out, j, in[j - 2], mid[j - 2]);
            ++j;
        }
    }
    f.finish(in, mid, n, s);
    take_coefficients(plan[count - 1], s);
}
