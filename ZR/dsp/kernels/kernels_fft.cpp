// Radix-2 transform passes in extended precision, and the shared twiddle table they read.
#include <cmath>
#include <limits>
#include <mutex>

#include "ZR/dsp/ZR_convert.h"
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

ZR_twiddle g_twiddles[ZR_TWIDDLE_COUNT];
std::once_flag g_twiddles_once;

void fill_twiddles()
{
    for (int k = 0; k < ZR_TWIDDLE_COUNT; ++k) {
        const double w = ZR_PI * k / 2048.0;
        g_twiddles[k].c = static_cast<int32_t>(std::cos(w) * 2147483647.0);
        g_twiddles[k].s = static_cast<int32_t>(std::sin(w) * 2147483647.0);
    }
}

// Adding and removing 1.5 * 2^(digits-1) rounds to an integer, ties to even, under the default
// rounding mode without a library call. With a 64-bit mantissa every product and sum below is
// exact.
constexpr long double pow2(int e)
{
    long double r = 1.0L;
    while (e-- > 0)
        r *= 2.0L;
    return r;
}
constexpr long double kRoundMagic = 1.5L * pow2(std::numeric_limits<long double>::digits - 1);

inline int32_t round_even(long double v)
{
    const long double r = (v + kRoundMagic) - kRoundMagic;
    return wrap64(static_cast<int64_t>(r));
}

// Forward halves P and the twiddle product (scale 2^-32); backward keeps both (scale 2^-31).
template <bool Forward>
void passes(int32_t *data, int L)
{
    const ZR_twiddle *const tw = g_twiddles;
    const long double p_scale = Forward ? 0.5L : 1.0L;
    const long double t_scale = Forward ? 1.0L / 4294967296.0L : 1.0L / 2147483648.0L;
    const int m = 1 << (L + 1);
    for (int s = 0; s <= L; ++s) {
        const int half = 1 << s;
        const int step = 1 << (11 - s);
        for (int base = 0; base < m; base += 2 * half) {
            for (int j = 0; j < half; ++j) {
                const ZR_twiddle w = tw[j * step];
                int32_t *const lo = data + 2 * (base + j);
                int32_t *const hi = lo + 2 * half;
                const long double c = w.c, sn = w.s;
                const long double qr = hi[0], qi = hi[1];
                const long double tr = (c * qr - sn * qi) * t_scale;
                const long double ti = (c * qi + sn * qr) * t_scale;
                const long double pr = lo[0] * p_scale, pi = lo[1] * p_scale;
                lo[0] = round_even(pr + tr);
                lo[1] = round_even(pi + ti);
                hi[0] = round_even(pr - tr);
                hi[1] = round_even(pi - ti);
            }
        }
    }
}

} // namespace

void kernel_twiddle_init()
{
    std::call_once(g_twiddles_once, fill_twiddles);
}

const ZR_twiddle *kernel_twiddle_table()
{
    return g_twiddles;
}

void kernel_fft_forward(int32_t *data, int L)
{
    passes<true>(data, L);
}

void kernel_fft_backward(int32_t *data, int L)
{
    passes<false>(data, L);
}
