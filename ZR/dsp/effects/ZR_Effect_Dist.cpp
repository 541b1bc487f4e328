// ZR_Effect_Dist: limit a = D (1 - s), knee b = (D - a) / 2, one soft clip
// kernel pass per block.
#include "ZR/dsp/effects/ZR_Effect_Dist.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>

const ZR_option ZR_Effect_Dist_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Dist), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Dist, d),   ZR_OPTION(ZR_Effect_Dist, s),     ZR_OPTION(ZR_Effect_Dist, k),
    ZR_OPTION(ZR_Effect_Dist, l),   ZR_OPTION_END(ZR_Effect_options),
};

namespace {
constexpr int32_t kMaxKernelBlock = 32768;
}

ZR_Effect_Dist::ZR_Effect_Dist()
{
    options = ZR_Effect_Dist_options;
}

bool ZR_Effect_Dist::shape(int32_t drive, double share)
{
    int32_t limit;
    if (!zr_trunc_checked(drive * (1.0 - share), limit))
        return false;
    D.store(drive, std::memory_order_relaxed);
    s.store(share, std::memory_order_relaxed);
    a.store(limit, std::memory_order_relaxed);
    b.store((int32_t)(((int64_t)drive - limit) / 2), std::memory_order_relaxed);
    return true;
}

void ZR_Effect_Dist::track()
{
    int32_t fs = clock.load(std::memory_order_relaxed);
    int32_t coefficient;
    if (fs != 0 && zr_trunc_checked(k.load(std::memory_order_relaxed) * 48000.0 / fs * 2147483647.0,
                                    coefficient))
        c.store(coefficient, std::memory_order_relaxed);
}

void ZR_Effect_Dist::clockChanged()
{
    track();
}

void ZR_Effect_Dist::process()
{
    const auto [in, out, n] = fetch_blocks();
    if (n <= 0)
        return;
    const int32_t limit = a.load(std::memory_order_relaxed),
                  knee = b.load(std::memory_order_relaxed);
    const int32_t tracking = c.load(std::memory_order_relaxed);
    const uint32_t f = flags.load(std::memory_order_relaxed);
    // The kernel counts samples in 16 bits.
    for (int32_t i = 0; i < n; i += kMaxKernelBlock)
        kernel_softclip(in + i, out + i, zr_min(kMaxKernelBlock, n - i), e, limit, knee, tracking,
                        1, f);
}

ZR_value ZR_Effect_Dist::m_d(ZR_Effect_Dist *e, ZR_value v)
{
    int32_t drive;
    if (v.is_number() && zr_trunc_checked(v.to_double() * 536870912.0, drive))
        e->shape(drive, e->s.load(std::memory_order_relaxed));
    return ZR_value::of_float((float)(e->D.load(std::memory_order_relaxed) / 536870912.0));
}

ZR_value ZR_Effect_Dist::m_s(ZR_Effect_Dist *e, ZR_value v)
{
    if (v.is_number())
        e->shape(e->D.load(std::memory_order_relaxed), (double)(float)v.to_double());
    return ZR_value::of_float((float)e->s.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Dist::m_k(ZR_Effect_Dist *e, ZR_value v)
{
    if (v.is_number() && !std::isnan(v.to_double())) {
        e->k.store((float)v.to_double(), std::memory_order_relaxed);
        e->track();
    }
    return ZR_value::of_float(e->k.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect_Dist::m_l(ZR_Effect_Dist *e, ZR_value v)
{
    // Floats are truncated like every other integer option.
    if (v.is_number())
        e->flags.store((uint32_t)v.to_int(), std::memory_order_relaxed);
    return ZR_value::of_int((int32_t)e->flags.load(std::memory_order_relaxed));
}
