// ZR_Effect_Copy: strided block copy through the copy kernel.
#include "ZR/dsp/effects/ZR_Effect_Copy.h"
#include "ZR/dsp/ZR_Buffer.h"

#include <algorithm>

const ZR_option ZR_Effect_Copy_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Copy), ZR_OPTION(ZR_Effect_Inout, i), ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Copy, is),  ZR_OPTION(ZR_Effect_Copy, os), ZR_OPTION_END(ZR_Effect_options),
};

ZR_Effect_Copy::ZR_Effect_Copy()
{
    options = ZR_Effect_Copy_options;
}

void ZR_Effect_Copy::process()
{
    ZR_Buffer *source = zr_get(input), *target = zr_get(output);
    int32_t *in = samples(source);
    int32_t *out = samples(target);
    if (!in || !out)
        return;
    int32_t m = mode_index();
    if (in == out && m == ZR_MODE_SET)
        return;
    int32_t is = input_stride.load(std::memory_order_relaxed);
    int32_t os = output_stride.load(std::memory_order_relaxed);
    int32_t count = source->effective_length() / is;
    // Never write past the output block.
    int32_t out_length = target->effective_length();
    int32_t fits = out_length > 0 ? (out_length - 1) / os + 1 : 0;
    count = std::min(count, fits);
    if (count > 0)
        kernel_copy[m](in, out, count, is, os);
}

// Strides below 1 would read or write outside the blocks: they are refused.
ZR_value ZR_Effect_Copy::m_is(ZR_Effect_Copy *e, ZR_value v)
{
    if (v.type == ZR_TYPE_INT && v.value.i >= 1)
        e->input_stride.store(v.value.i, std::memory_order_relaxed);
    return ZR_value::of_int(e->input_stride.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Copy::m_os(ZR_Effect_Copy *e, ZR_value v)
{
    if (v.type == ZR_TYPE_INT && v.value.i >= 1)
        e->output_stride.store(v.value.i, std::memory_order_relaxed);
    return ZR_value::of_int(e->output_stride.load(std::memory_order_relaxed));
}
