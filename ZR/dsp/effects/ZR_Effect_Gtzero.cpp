// ZR_Effect_Gtzero and ZR_Effect_Ltzero: signed clamps against a level.
#include "ZR/dsp/effects/ZR_Effect_Gtzero.h"

const ZR_option ZR_Effect_Gtzero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Gtzero), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Gtzero, l),   ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Effect_Ltzero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Ltzero), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Ltzero, l),   ZR_OPTION_END(ZR_Effect_options),
};

namespace {

template <bool Greater>
void clamp_block(ZR_Effect *e, ZR_Buffer *bi, ZR_Buffer *bo, int32_t l)
{
    int32_t n = zr_min(zr_length(bi), zr_length(bo));
    const int32_t *in = e->samples(bi);
    int32_t *out = e->samples(bo);
    if (!in || !out)
        return;
    for (int32_t i = 0; i < n; ++i) {
        int32_t x = in[i];
        out[i] = Greater ? (x > l ? x : l) : (x < l ? x : l);
    }
}

ZR_value level_option(std::atomic<int32_t> &l, ZR_value v)
{
    if (v.is_number())
        l.store(v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int(l.load(std::memory_order_relaxed));
}

} // namespace

ZR_Effect_Gtzero::ZR_Effect_Gtzero()
{
    options = ZR_Effect_Gtzero_options;
}

void ZR_Effect_Gtzero::process()
{
    clamp_block<true>(this, zr_get(input), zr_get(output), l.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Gtzero::m_l(ZR_Effect_Gtzero *e, ZR_value v)
{
    return level_option(e->l, v);
}

ZR_Effect_Ltzero::ZR_Effect_Ltzero()
{
    options = ZR_Effect_Ltzero_options;
}

void ZR_Effect_Ltzero::process()
{
    clamp_block<false>(this, zr_get(input), zr_get(output), l.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Ltzero::m_l(ZR_Effect_Ltzero *e, ZR_value v)
{
    return level_option(e->l, v);
}
