// ZR_Effect_Oversam: out moves from 8 P0 to 8 P1 with end slopes D0, D1.
#include "ZR/dsp/effects/ZR_Effect_Oversam.h"

const ZR_option ZR_Effect_Oversam_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Oversam), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),       ZR_OPTION(ZR_Effect_Oversam, k),
    ZR_OPTION_END(ZR_Effect_options),
};

ZR_Effect_Oversam::ZR_Effect_Oversam()
{
    options = ZR_Effect_Oversam_options;
}

void ZR_Effect_Oversam::process()
{
    ZR_Buffer *bi = zr_get(input), *bo = zr_get(output);
    // The output sets the length, but never beyond eight times the input.
    int64_t m = zr_length(bo);
    int64_t limit = 8 * (int64_t)zr_length(bi);
    if (m > limit)
        m = limit;
    const int32_t *in = samples(bi);
    int32_t *out = samples(bo);
    if (!in || !out)
        return;
    for (int32_t i = 0; i < (int32_t)m; ++i) {
        const uint32_t a = (uint32_t)(i & 7);
        if (a == 0) {
            D0 = D1;
            P0 = P1;
            P1 = P2;
            P2 = in[i / 8] / 8;
            D1 = ((P2 - P0) / 2) / 8;
        }
        // (8 - a) (a D0 + P0) + a (P1 - (8 - a) D1), wrapping.
        const uint32_t first = (8u - a) * (a * (uint32_t)D0 + (uint32_t)P0);
        const uint32_t second = a * ((uint32_t)P1 - (8u - a) * (uint32_t)D1);
        out[i] = (int32_t)(first + second);
    }
}

ZR_value ZR_Effect_Oversam::m_k(ZR_Effect_Oversam *e, ZR_value v)
{
    if (v.is_number())
        e->k.store(v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int(e->k.load(std::memory_order_relaxed));
}
