// Envelope follower kernel: rectifies the input and follows it with attack or release smoothing.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

inline uint32_t magnitude(int32_t x)
{
    const uint32_t u = static_cast<uint32_t>(x);
    return x < 0 ? 0u - u : u; // -2^31 stays 2^31
}

template <int Mode, bool Rectified>
void follow(const int32_t *in, int32_t *out, int32_t *rectified, int n, int32_t attack,
            int32_t release, int32_t &state)
{
    uint32_t e = static_cast<uint32_t>(state);
    for (int i = 0; i < n; ++i) {
        const uint32_t r = magnitude(in[i]);
        if constexpr (Rectified)
            rectified[i] = wrap(r);
        // Unsigned compare: r = 2^31 counts as larger than any non-negative e.
        const int32_t k = r < e ? release : attack;
        e += static_cast<uint32_t>(hi31(wrap(r - e), k));
        store<Mode>(out + i, wrap(e));
    }
    state = wrap(e);
}

template <int Mode>
void envelope(const int32_t *in, int32_t *out, int32_t *rectified, int n, int32_t attack,
              int32_t release, int32_t &e)
{
    if (out) {
        if (rectified)
            follow<Mode, true>(in, out, rectified, n, attack, release, e);
        else
            follow<Mode, false>(in, out, rectified, n, attack, release, e);
    }
    else if (rectified) {
        for (int i = 0; i < n; ++i)
            rectified[i] = wrap(magnitude(in[i]));
    }
}

} // namespace

const ZR_kernel_envelope_fn kernel_envelope[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(envelope);
