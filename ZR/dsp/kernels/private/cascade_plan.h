// What both forms of the planned cascade leave in the state besides the samples.
#pragma once

#include "ZR/dsp/kernels/ZR_kernels.h"

namespace zr_kernels {

// s takes the coefficients of the plan's last step.
inline void take_coefficients(const ZR_cascade4_step &last, ZR_cascade4_state &s)
{
    for (int i = 0; i < 2; ++i) {
        s.low[i].alpha = last.alpha[i];
        s.band[i].a = last.a[i];
        s.band[i].b = last.b[i];
        s.band[i].c = last.c[i];
    }
}

} // namespace zr_kernels
