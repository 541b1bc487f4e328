// Recursive filter kernels: one-pole low-pass and high-pass, second-order band-pass section.
#include <algorithm>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/filter_steps.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

template <int Mode>
void lowpass1(const int32_t *in, int32_t *out, int n, const uint32_t &alpha_ref, int32_t &state)
{
    OnepoleStep f(state, alpha_ref);
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i, wrap(f.step(in[i]) + 0x80000000u));
    state = f.b();
}

// y = c (x - x2) + (2 - a) y1 - (1 - b) y2 with each product as hi31; the exact sum saturates once.
// The plain form serves coefficients of -2^31, where a hi31 may wrap.
template <int Mode>
void bandpass2_plain(const int32_t *in, int32_t *out, int n, int32_t a, int32_t b, int32_t c,
                     int32_t &x1_ref, int32_t &x2_ref, int32_t &y1_ref, int32_t &y2_ref)
{
    int32_t x1 = x1_ref, x2 = x2_ref, y1 = y1_ref, y2 = y2_ref;
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        const int64_t ay1 = hi31(a, y1);
        const int64_t sum =
            int64_t{hi31(c, sub_w(x, x2))} - y2 + hi31(b, y2) + 2 * int64_t{y1} - 2 * ay1;
        const int32_t y =
            static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(sum, INT32_MIN), INT32_MAX));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        store<Mode>(out + i, y);
    }
    x1_ref = x1;
    x2_ref = x2;
    y1_ref = y1;
    y2_ref = y2;
}

template <int Mode>
void bandpass2(const int32_t *in, int32_t *out, int n, int32_t a, int32_t b, int32_t c,
               int32_t &x1_ref, int32_t &x2_ref, int32_t &y1_ref, int32_t &y2_ref)
{
    if (!BandpassStep::usable(a, b, c)) {
        bandpass2_plain<Mode>(in, out, n, a, b, c, x1_ref, x2_ref, y1_ref, y2_ref);
        return;
    }
    BandpassStep f(a, b, c, y1_ref, y2_ref);
    int32_t x1 = x1_ref, x2 = x2_ref;
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        store<Mode>(out + i, wrap(0u - f.step(x, x2)));
        x2 = x1;
        x1 = x;
    }
    x1_ref = x1;
    x2_ref = x2;
    y1_ref = f.y1();
    y2_ref = f.y2();
}

} // namespace

const ZR_kernel_lowpass1_fn kernel_lowpass1[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(lowpass1);
const ZR_kernel_bandpass2_fn kernel_bandpass2[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(bandpass2);

void kernel_hipass1(const int32_t *in, int32_t *out, int n, uint32_t alpha, int32_t &state)
{
    OnepoleStep f(state, alpha);
    for (int i = 0; i < n; ++i) {
        const int32_t x = in[i];
        out[i] = wrap(static_cast<uint32_t>(x) - 0x80000000u - f.step(x));
    }
    state = f.b();
}
