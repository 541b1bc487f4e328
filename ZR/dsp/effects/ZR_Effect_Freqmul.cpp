// ZR_Effect_Freqmul and ZR_Effect_Nefreqmul: period repetition at rising zero
// crossings. Both read and write their buffers directly (no crossfade).
#include "ZR/dsp/effects/ZR_Effect_Freqmul.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstring>

const ZR_option ZR_Effect_Freqmul_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Freqmul), ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),       ZR_OPTION(ZR_Effect_Freqmul, k),
    ZR_OPTION_END(ZR_Effect_options),
};

const ZR_option ZR_Effect_Nefreqmul_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Nefreqmul),  ZR_OPTION(ZR_Effect_Inout, i),
    ZR_OPTION(ZR_Effect_Out, o),          ZR_OPTION(ZR_Effect_Nefreqmul, k),
    ZR_OPTION(ZR_Effect_Nefreqmul, rand), ZR_OPTION(ZR_Effect_Nefreqmul, stab),
    ZR_OPTION_END(ZR_Effect_options),
};

namespace {

ZR_value factor_option(std::atomic<int32_t> &k, ZR_value v)
{
    if (v.is_number()) {
        int32_t f = v.to_int();
        k.store(f < 1 ? 1 : (f > ZR_FREQMUL_MAX_FACTOR ? ZR_FREQMUL_MAX_FACTOR : f),
                std::memory_order_relaxed);
    }
    return ZR_value::of_int(k.load(std::memory_order_relaxed));
}

ZR_value real_option(std::atomic<double> &x, ZR_value v)
{
    if (v.is_number() && !std::isnan(v.to_double()))
        x.store((double)(float)v.to_double(), std::memory_order_relaxed);
    return ZR_value::of_float((float)x.load(std::memory_order_relaxed));
}

// Ring offset of a read start: the low bits of a truncated double.
uint32_t ring_offset(double d)
{
    return (uint32_t)zr_trunc_low32(d);
}

// The input and output blocks, read directly; n counts input samples and
// m the output samples that fit.
struct DirectBlocks {
    const int32_t *in;
    int32_t *out;
    int32_t n, m;
};

DirectBlocks direct_blocks(ZR_Buffer *bi, ZR_Buffer *bo)
{
    const int32_t n = zr_length(bi);
    return {bi ? bi->data : nullptr, bo ? bo->data : nullptr, n, zr_min(n, zr_length(bo))};
}

} // namespace

ZR_Effect_Freqmul::ZR_Effect_Freqmul()
{
    options = ZR_Effect_Freqmul_options;
}

void ZR_Effect_Freqmul::process()
{
    const auto [in, out, n, m] = direct_blocks(zr_get(input), zr_get(output));
    if (!in || n <= 0)
        return;
    const uint32_t mask = kRing - 1;
    const uint32_t factor = (uint32_t)k.load(std::memory_order_relaxed);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t x = in[i];
        w = (w + 1) & mask;
        if (previous < 0 && x >= 0) {
            const uint32_t e = w;
            for (uint32_t rep = 1; rep < factor; ++rep)
                for (uint32_t j = c; j != e; j = (j + 1) & mask) {
                    ring[w] = ring[j];
                    w = (w + 1) & mask;
                }
            c = w;
        }
        ring[w] = x;
        previous = x;
    }
    const int32_t fs = clock.load(std::memory_order_relaxed);
    uint32_t j0 = (r - ring_offset(fs * (double)lookback + (double)n * factor)) & mask;
    for (int32_t i = 0; i < m; ++i)
        out[i] = ring[(j0 + (uint32_t)i * factor) & mask];
    // The read position moves with every input sample, written or not.
    r = (r + (uint32_t)n * factor) & mask;
}

ZR_value ZR_Effect_Freqmul::m_k(ZR_Effect_Freqmul *e, ZR_value v)
{
    return factor_option(e->k, v);
}

ZR_Effect_Nefreqmul::ZR_Effect_Nefreqmul()
{
    options = ZR_Effect_Nefreqmul_options;
}

void ZR_Effect_Nefreqmul::reset()
{
    std::memset(ring, 0, sizeof ring);
    s = 0.0;
}

void ZR_Effect_Nefreqmul::process()
{
    const auto [in, out, n, m] = direct_blocks(zr_get(input), zr_get(output));
    if (!in || n <= 0)
        return;
    const uint32_t mask = kRing - 1;
    const uint32_t factor = (uint32_t)k.load(std::memory_order_relaxed);
    const double lowest = rand.load(std::memory_order_relaxed);
    const double smoothing = stab.load(std::memory_order_relaxed);
    const int32_t fs = clock.load(std::memory_order_relaxed);
    const double longest = fs * (double)lookback;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t x = in[i];
        w = (w + 1) & mask;
        const double rise = (double)x - (double)last;
        if (last < 0 && x >= 0) {
            bool accepted = true;
            if (s > 0.1) {
                const double ratio = rise / s;
                if (!(ratio <= 1.0 && ratio >= lowest))
                    accepted = ((w - c) & mask) > longest;
            }
            if (accepted) {
                const uint32_t h = w;
                const uint32_t P = (h - c) & mask;
                const double sum = (double)x + (double)last;
                for (uint32_t j = 0; j + 2 <= factor; ++j) {
                    for (uint32_t t = 0; t < P; ++t) {
                        const double fwd = ring[(c + t) & mask];
                        const double back = sum - ring[(h - 1 - t) & mask];
                        double value;
                        if (j & 1)
                            value = fwd;
                        else if (j + 2 == factor)
                            value = ((double)t * fwd + (double)(P - t) * back) / P;
                        else
                            value = back - sum * t / P;
                        ring[w] = zr_trunc_sample(value);
                        w = (w + 1) & mask;
                    }
                }
                c = w;
                s = (1.0 - smoothing) * rise + smoothing * s;
            }
        }
        ring[w] = x;
        last = x;
    }
    uint32_t j0 = (r - ring_offset(fs * (double)lookback * factor)) & mask;
    const int32_t md = mode_index();
    if (md == ZR_MODE_SET) {
        for (int32_t i = 0; i < m; ++i)
            out[i] = ring[(j0 + (uint32_t)i * factor) & mask];
    }
    else if (md == ZR_MODE_ADD) {
        for (int32_t i = 0; i < m; ++i)
            out[i] =
                (int32_t)((uint32_t)out[i] + (uint32_t)ring[(j0 + (uint32_t)i * factor) & mask]);
    }
    r = (r + (uint32_t)n * factor) & mask;
}

ZR_value ZR_Effect_Nefreqmul::m_k(ZR_Effect_Nefreqmul *e, ZR_value v)
{
    return factor_option(e->k, v);
}
ZR_value ZR_Effect_Nefreqmul::m_rand(ZR_Effect_Nefreqmul *e, ZR_value v)
{
    return real_option(e->rand, v);
}
ZR_value ZR_Effect_Nefreqmul::m_stab(ZR_Effect_Nefreqmul *e, ZR_value v)
{
    return real_option(e->stab, v);
}
