// Host samples and the framework's fixed point (full scale 2^30), both ways.
#pragma once

#include <cstdint>

// Host samples clipped to [-1, 1] (NaN to -1), scaled by 2^30 and truncated.
void host_to_fixed(const float *in, int32_t *x, int32_t n);
// Fixed point back to host samples, into whichever of out0 and out1 is not null.
void fixed_to_host(const int32_t *y, float *out0, float *out1, int32_t n);

// The two forms behind them, chosen once at load: the plain form serves every CPU, the vector
// form (AVX2) is null where the CPU lacks it. Both give the same samples.
struct HostSampleForms {
    void (*to_fixed)(const float *in, int32_t *x, int32_t n);
    void (*to_host)(const int32_t *y, float *out0, float *out1, int32_t n);
};
const HostSampleForms &host_samples_plain();
const HostSampleForms *host_samples_vector();
