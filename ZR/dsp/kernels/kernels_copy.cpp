// Strided copy kernel: reads every in_stride-th sample and stores every out_stride-th one.
#include <cstddef>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

template <int Mode>
void copy(const int32_t *in, int32_t *out, int n, int in_stride, int out_stride)
{
    const std::ptrdiff_t is = in_stride, os = out_stride;
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i * os, in[i * is]);
}

} // namespace

const ZR_kernel_copy_fn kernel_copy[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(copy);
