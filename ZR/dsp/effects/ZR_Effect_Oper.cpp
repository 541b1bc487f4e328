// ZR_Effect_Oper and ZR_Effect_Koef: one operator kernel call per block.
#include "ZR/dsp/effects/ZR_Effect_Oper.h"
#include "ZR/dsp/ZR_convert.h"

const char *const ZR_oper_names[4] = {"add", "sub", "mul", "div"};

const ZR_option ZR_Effect_Oper_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Oper),  ZR_OPTION(ZR_Effect_Oper, i1),
    ZR_OPTION(ZR_Effect_Oper, i2),   ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Oper, oper), ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Effect_Koef_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Koef), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),    ZR_OPTION(ZR_Effect_Koef, oper),
    ZR_OPTION(ZR_Effect_Koef, k),   ZR_OPTION_END(ZR_Effect_options),
};

namespace {

int32_t operator_index(const std::atomic<int32_t> &oper)
{
    int32_t k = oper.load(std::memory_order_relaxed);
    return (k >= 0 && k < 4) ? k : 0;
}

} // namespace

void ZR_Effect_Oper::process()
{
    ZR_Buffer *b1 = zr_get(input1), *b2 = zr_get(input2), *bo = zr_get(output);
    int32_t n = zr_min(zr_length(b1), zr_min(zr_length(b2), zr_length(bo)));
    const int32_t *in1 = samples(b1);
    const int32_t *in2 = samples(b2);
    int32_t *out = samples(bo);
    if (!in1 || !in2 || !out || n <= 0)
        return;
    kernel_oper[operator_index(oper) * ZR_MODE_COUNT + mode_index()](in1, in2, out, n);
}

ZR_value ZR_Effect_Oper::m_i1(ZR_Effect_Oper *e, ZR_value v)
{
    return zr_buffer_option(e->input1, v);
}
ZR_value ZR_Effect_Oper::m_i2(ZR_Effect_Oper *e, ZR_value v)
{
    return zr_buffer_option(e->input2, v);
}

ZR_value ZR_Effect_Oper::m_oper(ZR_Effect_Oper *e, ZR_value v)
{
    return zr_keyword_option(e->oper, v, ZR_oper_names, 4);
}

void ZR_Effect_Koef::process()
{
    const auto [in, out, n] = fetch_blocks();
    if (n <= 0)
        return;
    kernel_koef[operator_index(oper) * ZR_MODE_COUNT + mode_index()](
        in, out, n, K.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Koef::m_oper(ZR_Effect_Koef *e, ZR_value v)
{
    return zr_keyword_option(e->oper, v, ZR_oper_names, 4);
}

ZR_value ZR_Effect_Koef::m_k(ZR_Effect_Koef *e, ZR_value v)
{
    // Numbers are converted (an integer 2 means 2.0); |k| >= 127 saturates K.
    int32_t k;
    if (v.is_number() && zr_trunc_clamped(v.to_double() * 0.007874015748031496 * 2147483648.0, k))
        e->K.store(k, std::memory_order_relaxed);
    return ZR_value::of_int(e->K.load(std::memory_order_relaxed));
}
