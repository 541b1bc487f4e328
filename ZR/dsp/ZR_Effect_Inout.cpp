// ZR_Effect_Out and ZR_Effect_Inout: buffer options and block fetch shared by the effects.
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

ZR_out_block ZR_Effect_Out::fetch_output()
{
    ZR_Buffer *target = zr_get(output);
    int32_t *out = samples(target);
    return {out, out ? target->effective_length() : 0};
}

ZR_value ZR_Effect_Out::m_o(ZR_Effect_Out *e, ZR_value v)
{
    return zr_buffer_option(e->output, v);
}
