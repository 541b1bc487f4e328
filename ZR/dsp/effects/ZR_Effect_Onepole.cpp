// ZR_Effect_Lopass and ZR_Effect_Hipass: one-pole filters over one block.
#include "ZR/dsp/effects/ZR_Effect_Onepole.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_convert.h"
#include "ZR/dsp/private/ZR_recompute.h"

#include <algorithm>
#include <cmath>

const ZR_option ZR_Effect_Lopass_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Lopass), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Onepole, f),  ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Effect_Hipass_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Hipass), ZR_OPTION(ZR_Effect_Inout, i),    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION(ZR_Effect_Onepole, f),  ZR_OPTION_END(ZR_Effect_options),
};

namespace {

// alpha from the formula; false when it has no finite value within the
// int64 range.
inline bool onepole_alpha(int32_t frequency, int32_t clock, uint32_t *alpha)
{
    long double f = frequency;
    long double a = f * 13493037704.522018L / (f * ZR_PI_L + clock * 0.5L);
    if (!std::isfinite(a) || std::fabs(a) >= 9.2233720368547758e18L)
        return false;
    *alpha = zr_trunc_low32_extended(a); // (uint32_t)(uint64_t)(int64_t)a
    return true;
}

} // namespace

bool ZR_onepole_alpha(int32_t frequency, int32_t clock, uint32_t *alpha)
{
    if (frequency == 0 || clock == 0)
        return false;
    return onepole_alpha(frequency, clock, alpha);
}

void ZR_onepole_alphas(const int32_t *frequency, int32_t n, int32_t clock, uint32_t *alpha,
                       bool *ok)
{
    if (clock == 0) {
        std::fill(ok, ok + n, false);
        return;
    }
    // Back to back, so that the divisions of neighbouring frequencies overlap.
    for (int32_t i = 0; i < n; ++i)
        ok[i] = frequency[i] != 0 && onepole_alpha(frequency[i], clock, &alpha[i]);
}

void ZR_Effect_Onepole::compute_alpha(const ZR_onepole_known *known)
{
    struct Inputs {
        int32_t f, fs;
    };
    const auto sc = std::memory_order_seq_cst;
    zr_recompute_until_stable(
        [&] {
            return Inputs{frequency.load(sc), clock.load(sc)};
        },
        [&](const Inputs &in) {
            uint32_t a;
            if (known && known->f == in.f && known->fs == in.fs) {
                if (known->ok)
                    alpha.store(known->alpha, sc);
            }
            else if (ZR_onepole_alpha(in.f, in.fs, &a)) {
                alpha.store(a, sc);
            }
        });
}

void ZR_Effect_Onepole::set_frequency(const ZR_onepole_known &known)
{
    frequency.store(known.f, std::memory_order_seq_cst);
    compute_alpha(&known);
}

ZR_value ZR_Effect_Onepole::m_f(ZR_Effect_Onepole *e, ZR_value v)
{
    if (v.is_number()) {
        e->frequency.store(v.to_int(), std::memory_order_seq_cst);
        e->compute_alpha();
    }
    return ZR_value::of_int(e->frequency.load(std::memory_order_relaxed));
}

void ZR_Effect_Lopass::process()
{
    const auto [in, out, n] = fetch_blocks();
    if (n <= 0)
        return;
    uint32_t a = alpha.load(std::memory_order_relaxed);
    kernel_lowpass1[mode_index()](in, out, n, a, b);
}

void ZR_Effect_Hipass::process()
{
    const auto [in, out, n] = fetch_blocks();
    if (n <= 0)
        return;
    kernel_hipass1(in, out, n, alpha.load(std::memory_order_relaxed), b);
}
