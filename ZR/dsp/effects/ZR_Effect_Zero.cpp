// ZR_Effect_Zero: out[i] = 0.
#include "ZR/dsp/effects/ZR_Effect_Zero.h"

#include <cstring>

const ZR_option ZR_Effect_Zero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Zero),
    ZR_OPTION(ZR_Effect_Zero, o),
    ZR_OPTION_END(ZR_Effect_options),
};

ZR_Effect_Zero::ZR_Effect_Zero()
{
    options = ZR_Effect_Zero_options;
}

void ZR_Effect_Zero::process()
{
    ZR_Buffer *b = zr_get(output);
    int32_t n = zr_length(b);
    int32_t *out = samples(b);
    if (out && n > 0)
        std::memset(out, 0, sizeof(int32_t) * (size_t)n);
}

ZR_value ZR_Effect_Zero::m_o(ZR_Effect_Zero *e, ZR_value v)
{
    return zr_buffer_option(e->output, v);
}
