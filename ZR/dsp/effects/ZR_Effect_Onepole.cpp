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

// The truncated quotient in extended precision; false when it has no
// finite value within the int64 range.
inline bool onepole_truncated(int32_t frequency, int32_t clock, int64_t *t)
{
    long double f = frequency;
    long double a = f * 13493037704.522018L / (f * ZR_PI_L + clock * 0.5L);
    if (!std::isfinite(a) || std::fabs(a) >= 9.2233720368547758e18L)
        return false;
    *t = (int64_t)a;
    return true;
}

} // namespace

bool ZR_onepole_alpha(int32_t frequency, int32_t clock, uint32_t *alpha)
{
    int64_t t;
    if (frequency == 0 || clock == 0 || !onepole_truncated(frequency, clock, &t))
        return false;
    *alpha = (uint32_t)(uint64_t)t;
    return true;
}

void ZR_onepole_alphas(const int32_t *frequency, int32_t n, int32_t clock, uint32_t *alpha,
                       bool *ok)
{
    if (clock == 0) {
        std::fill(ok, ok + n, false);
        return;
    }
    // Back to back, so that the divisions of neighbouring frequencies
    // overlap. The x87 stores its integers to memory: they are read back a
    // chunk later, not at once, which can stall the x87 on store forwarding.
    constexpr int32_t CHUNK = 32;
    int64_t t[CHUNK];
    for (int32_t start = 0; start < n; start += CHUNK) {
        const int32_t m = std::min(CHUNK, n - start);
        const int32_t *f = frequency + start;
        for (int32_t i = 0; i < m; ++i)
            ok[start + i] = f[i] != 0 && onepole_truncated(f[i], clock, &t[i]);
        for (int32_t i = 0; i < m; ++i)
            if (ok[start + i])
                alpha[start + i] = (uint32_t)(uint64_t)t[i];
    }
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
