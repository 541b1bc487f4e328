// Soft clipper kernel: folds the excess beyond a tracked range back through a knee, on a
// quarter-scale signal.
#include <algorithm>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

void kernel_softclip(const int32_t *in, int32_t *out, int n, int32_t &state, int32_t a, int32_t b,
                     int32_t c, int shift, uint32_t flags)
{
    const bool asymmetric = (flags & 1u) != 0;
    const int32_t neg_a = sub_w(0, a);
    const int32_t p = wrap(static_cast<uint32_t>(b) << 2); // knee width
    const int32_t l_out = p >> shift;
    const int32_t l_in = asymmetric ? sub_w(p, p >> shift) >> 3 : sub_w(p, p >> shift);
    int32_t e = state;
    for (int i = 0; i < n; ++i) {
        const int32_t f = sub_w(in[i] >> 1, e) >> 1;
        const int32_t lower = asymmetric ? std::max(sub_w(neg_a, b), std::min(e, a)) : neg_a;
        const int32_t g = std::max(std::min(f, a), lower);
        const int32_t d = sub_w(f, g);
        const int32_t l = d > 0 ? l_out : l_in;
        const int32_t den = add_w(l, d < 0 ? sub_w(0, d) : d);
        // A zero divisor (knee 0) folds nothing back.
        const int64_t safe = den != 0 ? den : 1;
        const int32_t q = den != 0 ? wrap64(product(l, d) / safe) : 0;
        const int32_t y = add_w(g, q);
        e = add_w(e, hi32(sub_w(f, y), c));
        out[i] = wrap(static_cast<uint32_t>(y) << 2);
    }
    state = e;
}
