// ZR_Effect_Inout: buffer options and block fetch shared by the effects.
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_Buffer.h"

ZR_blocks ZR_Effect_Inout::fetch_blocks()
{
    ZR_Buffer *source = zr_get(input), *target = zr_get(output);
    const int32_t *in = samples(source);
    int32_t *out = samples(target);
    if (!in || !out)
        return {in, out, 0};
    return {in, out, zr_min(source->effective_length(), target->effective_length())};
}

ZR_value ZR_Effect_Inout::m_i(ZR_Effect_Inout *e, ZR_value v)
{
    return zr_buffer_option(e->input, v);
}

ZR_value ZR_Effect_Inout::m_o(ZR_Effect_Inout *e, ZR_value v)
{
    return zr_buffer_option(e->output, v);
}
