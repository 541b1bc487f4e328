// ZR_Effect_Lgd: per-sample smoothing in double precision.
#include "ZR/dsp/effects/ZR_Effect_Lgd.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>

const ZR_option ZR_Effect_Lgd_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Lgd), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Lgd, c),   ZR_OPTION_END(ZR_Effect_options),
};

void ZR_Effect_Lgd::process()
{
    const auto [in, out, n] = fetch_blocks();
    if (n <= 0)
        return;
    const double target = c.load(std::memory_order_relaxed);
    double level = L;
    for (int32_t i = 0; i < n; ++i) {
        double x = in[i] * 4.656612873077393e-10;
        double w = 0.01 / (level + 0.01);
        double y = (1.0 - w) * target + x * w;
        double dx = x - target;
        double m = 1.0;
        if (!(dx > 0.0 || level > 0.1))
            m = std::sqrt(1.0001 - (level - 0.1) * (level - 0.1) / 0.1 / 0.1);
        level = m * dx * 0.1 + level;
        if (level < 0.0)
            level = 0.0;
        out[i] = zr_trunc_low32(y * 2147483648.0);
    }
    L = level;
}

ZR_value ZR_Effect_Lgd::m_c(ZR_Effect_Lgd *e, ZR_value v)
{
    // Numbers are converted (an integer 1 means 1.0); a non-finite target
    // would poison the level for good, so it is refused.
    if (v.is_number() && std::isfinite(v.to_double()))
        e->c.store((double)(float)v.to_double(), std::memory_order_relaxed);
    return ZR_value::of_float((float)e->c.load(std::memory_order_relaxed));
}
