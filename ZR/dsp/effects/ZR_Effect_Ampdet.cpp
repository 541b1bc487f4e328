// ZR_Effect_Ampdet: coefficients 2^31 * 2 pi f / (2 pi f + fs), one
// envelope kernel call per block.
#include "ZR/dsp/effects/ZR_Effect_Ampdet.h"
#include "ZR/dsp/ZR_convert.h"

const ZR_option ZR_Effect_Ampdet_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Ampdet), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),      ZR_OPTION(ZR_Effect_Ampdet, a),
    ZR_OPTION(ZR_Effect_Ampdet, f1),  ZR_OPTION(ZR_Effect_Ampdet, f2),
    ZR_OPTION_END(ZR_Effect_options),
};

namespace {

// Leaves the coefficient alone without a clock or when the formula has no
// int32 value (NaN, infinite, out of range).
void follow_coefficient(std::atomic<int32_t> &coefficient, float frequency, int32_t clock)
{
    if (clock == 0)
        return;
    double f = frequency;
    int32_t k;
    if (f == 0.0)
        k = 2147483647;
    else if (!zr_trunc_checked(f * 6746518852.261009 / (f * ZR_PI + clock * 0.5), k))
        return;
    coefficient.store(k, std::memory_order_relaxed);
}

ZR_value frequency_option(ZR_Effect_Ampdet *e, std::atomic<float> &f,
                          std::atomic<int32_t> &coefficient, ZR_value v)
{
    if (v.is_number()) {
        f.store((float)v.to_double(), std::memory_order_relaxed);
        follow_coefficient(coefficient, f.load(std::memory_order_relaxed),
                           e->clock.load(std::memory_order_relaxed));
    }
    return ZR_value::of_float(f.load(std::memory_order_relaxed));
}

} // namespace

ZR_Effect_Ampdet::ZR_Effect_Ampdet()
{
    options = ZR_Effect_Ampdet_options;
}

void ZR_Effect_Ampdet::clockChanged()
{
    int32_t fs = clock.load(std::memory_order_relaxed);
    follow_coefficient(attack, f1.load(std::memory_order_relaxed), fs);
    follow_coefficient(release, f2.load(std::memory_order_relaxed), fs);
}

void ZR_Effect_Ampdet::process()
{
    ZR_Buffer *bi = zr_get(input), *bo = zr_get(output), *br = zr_get(rectified);
    int32_t n = zr_length(bi);
    if (bo)
        n = zr_min(n, zr_length(bo));
    if (br)
        n = zr_min(n, zr_length(br));
    const int32_t *in = samples(bi);
    int32_t *out = samples(bo);
    int32_t *rect = samples(br);
    if (!in || n <= 0 || (!out && !rect))
        return;
    kernel_envelope[mode_index()](in, out, rect, n, attack.load(std::memory_order_relaxed),
                                  release.load(std::memory_order_relaxed), e);
}

ZR_value ZR_Effect_Ampdet::m_a(ZR_Effect_Ampdet *e, ZR_value v)
{
    return zr_buffer_option(e->rectified, v);
}

ZR_value ZR_Effect_Ampdet::m_f1(ZR_Effect_Ampdet *e, ZR_value v)
{
    return frequency_option(e, e->f1, e->attack, v);
}

ZR_value ZR_Effect_Ampdet::m_f2(ZR_Effect_Ampdet *e, ZR_value v)
{
    return frequency_option(e, e->f2, e->release, v);
}
