// Multi-tap delay network kernel: tap groups read a shared 65536-sample ring, write outputs and
// feed back.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

template <int Mode>
void tapnet(const int32_t *in, int n, int32_t *ring, uint16_t &position,
            const ZR_tap_entry *program, int length)
{
    uint32_t p = position;
    for (int i = 0; i < n; ++i) {
        int32_t d = in[i];
        int k = 0;
        while (k < length) {
            int32_t acc = 0;
            // Taps hold t >= 0; the trailer starts with a negative marker.
            while (program[k] >= 0) {
                const uint32_t t = static_cast<uint32_t>(program[k]);
                acc = add_w(
                    acc, hi31(ring[(p + t + 1u) & 0xffffu], static_cast<int32_t>(program[k + 1])));
                k += 2;
            }
            int32_t *const group_out = reinterpret_cast<int32_t *>(program[k + 2]);
            if (group_out)
                store<Mode>(group_out + i, hi23(acc, static_cast<int32_t>(program[k + 1])));
            d = add_w(d, hi23(acc, static_cast<int32_t>(program[k + 3])));
            k += 4;
        }
        ring[p] = d;
        p = (p - 1u) & 0xffffu;
    }
    position = static_cast<uint16_t>(p);
}

} // namespace

const ZR_kernel_tapnet_fn kernel_tapnet[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(tapnet);
