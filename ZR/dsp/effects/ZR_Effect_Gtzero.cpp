// ZR_Effect_Gtzero and ZR_Effect_Ltzero: signed clamps against a level.
#include "ZR/dsp/effects/ZR_Effect_Gtzero.h"

const ZR_option ZR_Effect_Gtzero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Gtzero), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Clamp, l),    ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Effect_Ltzero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Ltzero), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Clamp, l),    ZR_OPTION_END(ZR_Effect_options),
};

template <bool Greater>
void ZR_Effect_Clamp::clamp_block()
{
    ZR_Buffer *bi = zr_get(input);
    ZR_Buffer *bo = zr_get(output);
    const int32_t level = l.load(std::memory_order_relaxed);
    int32_t n = zr_min(zr_length(bi), zr_length(bo));
    const int32_t *in = samples(bi);
    int32_t *out = samples(bo);
    if (!in || !out)
        return;
    for (int32_t i = 0; i < n; ++i) {
        int32_t x = in[i];
        out[i] = Greater ? (x > level ? x : level) : (x < level ? x : level);
    }
}

ZR_value ZR_Effect_Clamp::m_l(ZR_Effect_Clamp *e, ZR_value v)
{
    if (v.is_number())
        e->l.store(v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int(e->l.load(std::memory_order_relaxed));
}

ZR_Effect_Gtzero::ZR_Effect_Gtzero()
{
    options = ZR_Effect_Gtzero_options;
}

void ZR_Effect_Gtzero::process()
{
    clamp_block<true>();
}

ZR_Effect_Ltzero::ZR_Effect_Ltzero()
{
    options = ZR_Effect_Ltzero_options;
}

void ZR_Effect_Ltzero::process()
{
    clamp_block<false>();
}
