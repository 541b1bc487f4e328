// Strided copy kernel: reads every in_stride-th sample and stores every out_stride-th one.
#include <algorithm>
#include <cstddef>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

template <int Mode>
void copy(const int32_t *in, int32_t *out, int n, int in_stride, int out_stride)
{
    const std::ptrdiff_t is = in_stride, os = out_stride;
    if constexpr (Mode == 0) {
        // Contiguous and not overlapping ahead of the reads: a block copy stores the same.
        const auto from = reinterpret_cast<std::uintptr_t>(in);
        const auto to = reinterpret_cast<std::uintptr_t>(out);
        if (is == 1 && os == 1 && (to < from || to >= from + sizeof(int32_t) * (size_t)n)) {
            std::copy(in, in + n, out);
            return;
        }
    }
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i * os, in[i * is]);
}

} // namespace

const ZR_kernel_copy_fn kernel_copy[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(copy);
