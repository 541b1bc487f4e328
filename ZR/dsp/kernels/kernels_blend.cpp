// The switching crossfade's blend: a straight line from one block to another,
// each sample truncated toward zero as the 64-bit integer quotient would be.
#include "ZR/dsp/kernels/ZR_kernels.h"

namespace {

// Up to this length the blend runs in double precision, which is exact: both
// products and their sum stay below 2^53, the quotient's magnitude below 2^31
// rounds with an error under 2^-21, and a quotient that is not whole lies at
// least 1/n from the next whole number, so truncation gives the same integer.
constexpr int BLEND_DOUBLE_MAX = 65536;

} // namespace

void kernel_blend(const int32_t *from, const int32_t *to, int32_t *out, int n)
{
    if (n <= BLEND_DOUBLE_MAX) {
        const double len = n;
        for (int j = 0; j < n; ++j) {
            const double v = ((double)from[j] * (n - j) + (double)to[j] * j) / len;
            out[j] = (int32_t)v;
        }
        return;
    }
    for (int j = 0; j < n; ++j)
        out[j] = (int32_t)(((int64_t)from[j] * (n - j) + (int64_t)to[j] * j) / n);
}
