// Host sample conversion: a plain form (SSE2 where the build has it) and an AVX2 form of eight
// samples a step, which also writes both outputs in one pass.
#include "app/host_samples.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZR_HOST_SAMPLES_AVX2 1
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Static, so that the vector form can broadcast them from memory.
const float ONE = 1.0f, MINUS_ONE = -1.0f;
const float FULL_SCALE = 1073741824.0f; // 2^30
const float INV_FULL_SCALE = 1.0f / 1073741824.0f;

void to_fixed_tail(const float *in, int32_t *x, int32_t from, int32_t n)
{
    for (int32_t j = from; j < n; ++j) {
        float s = in[j];
        if (s > 1.0f)
            s = 1.0f;
        else if (!(s >= -1.0f))
            s = -1.0f;
        x[j] = (int32_t)(s * FULL_SCALE);
    }
}

void to_host_tail(const int32_t *y, float *out0, float *out1, int32_t from, int32_t n)
{
    for (int32_t j = from; j < n; ++j) {
        const float v = (float)y[j] * INV_FULL_SCALE;
        if (out0)
            out0[j] = v;
        if (out1)
            out1[j] = v;
    }
}

// The packed min and max keep the NaN rule: min(1, s) passes a NaN on, max(s, -1) turns it
// into -1.
void to_fixed_plain(const float *in, int32_t *x, int32_t n)
{
    int32_t j = 0;
#ifdef __SSE2__
    const __m128 hi = _mm_set1_ps(ONE), lo = _mm_set1_ps(MINUS_ONE),
                 scale = _mm_set1_ps(FULL_SCALE);
    for (; j + 4 <= n; j += 4) {
        const __m128 s = _mm_max_ps(_mm_min_ps(hi, _mm_loadu_ps(in + j)), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(x + j),
                         _mm_cvttps_epi32(_mm_mul_ps(s, scale)));
    }
#endif
    to_fixed_tail(in, x, j, n);
}

void to_host_plain(const int32_t *y, float *out0, float *out1, int32_t n)
{
    to_host_tail(y, out0, out1, 0, n);
}

const HostSampleForms plain = {to_fixed_plain, to_host_plain};

#ifdef ZR_HOST_SAMPLES_AVX2

#define ZR_AVX2_TARGET __attribute__((target("avx2")))

ZR_AVX2_TARGET void to_fixed_avx2(const float *in, int32_t *x, int32_t n)
{
    const __m256 hi = _mm256_broadcast_ss(&ONE), lo = _mm256_broadcast_ss(&MINUS_ONE),
                 scale = _mm256_broadcast_ss(&FULL_SCALE);
    int32_t j = 0;
    for (; j + 8 <= n; j += 8) {
        const __m256 s = _mm256_max_ps(_mm256_min_ps(hi, _mm256_loadu_ps(in + j)), lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(x + j),
                            _mm256_cvttps_epi32(_mm256_mul_ps(s, scale)));
    }
    to_fixed_tail(in, x, j, n);
}

ZR_AVX2_TARGET void to_host_avx2(const int32_t *y, float *out0, float *out1, int32_t n)
{
    const __m256 inv = _mm256_broadcast_ss(&INV_FULL_SCALE);
    int32_t j = 0;
    for (; j + 8 <= n; j += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(y + j));
        const __m256 s = _mm256_mul_ps(_mm256_cvtepi32_ps(v), inv);
        if (out0)
            _mm256_storeu_ps(out0 + j, s);
        if (out1)
            _mm256_storeu_ps(out1 + j, s);
    }
    to_host_tail(y, out0, out1, j, n);
}

const HostSampleForms vector = {to_fixed_avx2, to_host_avx2};

const HostSampleForms *detect_vector()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? &vector : nullptr;
}

#else

const HostSampleForms *detect_vector()
{
    return nullptr;
}

#endif

// Chosen at load, so that no process call pays for the detection.
const HostSampleForms *const vector_form = detect_vector();

const HostSampleForms &chosen()
{
    return vector_form ? *vector_form : plain;
}

} // namespace

void host_to_fixed(const float *in, int32_t *x, int32_t n)
{
    chosen().to_fixed(in, x, n);
}

void fixed_to_host(const int32_t *y, float *out0, float *out1, int32_t n)
{
    chosen().to_host(y, out0, out1, n);
}

const HostSampleForms &host_samples_plain()
{
    return plain;
}

const HostSampleForms *host_samples_vector()
{
    return vector_form;
}
