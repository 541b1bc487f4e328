// ZR_Gener, ZR_Gener_White and ZR_Gener_Exp.
#include "ZR/dsp/effects/ZR_Gener.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstdlib>

const ZR_option ZR_Gener_options[] = {
    ZR_OPTION_NO_CTOR,
    ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Gener_White_options[] = {
    ZR_OPTION_CTOR(ZR_Gener_White),
    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION_END(ZR_Gener_options),
};

const ZR_option ZR_Gener_Exp_options[] = {
    ZR_OPTION_CTOR(ZR_Gener_Exp), ZR_OPTION(ZR_Gener_Exp, beg),    ZR_OPTION(ZR_Gener_Exp, time),
    ZR_OPTION(ZR_Effect_Out, o),  ZR_OPTION_END(ZR_Gener_options),
};

ZR_Gener::ZR_Gener()
{
    options = ZR_Gener_options;
}

ZR_Gener_White::ZR_Gener_White()
{
    options = ZR_Gener_White_options;
}

void ZR_Gener_White::process()
{
    const auto [out, n] = fetch_output();
    for (int32_t i = n - 1; i >= 0; --i)
        out[i] = (std::rand() & 32767) * 65536 - 1073741824;
}

ZR_Gener_Exp::ZR_Gener_Exp()
{
    options = ZR_Gener_Exp_options;
}

void ZR_Gener_Exp::process()
{
    const auto [out, n] = fetch_output();
    if (!out)
        return;
    const double fs = clock.load(std::memory_order_relaxed);
    const double top = begin.load(std::memory_order_relaxed);
    const double tau = time.load(std::memory_order_relaxed);
    int32_t k = count.load(std::memory_order_relaxed);
    for (int32_t i = 0; i < n; ++i) {
        const double t = k / fs;
        const double level = t > top ? std::exp(-(t - top) / tau) : 1.0;
        out[i] = zr_trunc_sample(level * 33554432.0);
        if (k < INT32_MAX) // the curve ends where the count would overflow
            ++k;
    }
    count.store(k, std::memory_order_relaxed);
}

ZR_value ZR_Gener_Exp::m_beg(ZR_Gener_Exp *e, ZR_value v)
{
    if (v.is_number())
        e->begin.store((float)v.to_double(), std::memory_order_relaxed);
    return ZR_value::of_float(e->begin.load(std::memory_order_relaxed));
}

ZR_value ZR_Gener_Exp::m_time(ZR_Gener_Exp *e, ZR_value v)
{
    if (v.is_number())
        e->time.store((float)v.to_double(), std::memory_order_relaxed);
    return ZR_value::of_float(e->time.load(std::memory_order_relaxed));
}
