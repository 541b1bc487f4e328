// What the plug-in benchmarks share: a minimal host callback, repeatable
// noise, and the three float biquads they use as the reference cost.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "vst/vst_entry.h"

inline intptr_t bench_host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Uniform noise in [-0.5, 0.5), the same every run.
inline std::vector<float> bench_noise(size_t n)
{
    std::vector<float> s(n);
    uint32_t x = 1;
    for (float &v : s) {
        x = x * 1664525u + 1013904223u;
        v = (float)((double)x / 4294967296.0 - 0.5);
    }
    return s;
}

struct Biquad {
    float b0, b1, b2, a1, a2;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// The three Butterworth sections of a sixth-order low-pass at fc.
inline std::vector<Biquad> butterworth6(double fc, double fs)
{
    std::vector<Biquad> s;
    const double w = std::tan(M_PI * fc / fs);
    for (int k = 0; k < 3; ++k) {
        double q = 1.0 / (2.0 * std::sin(M_PI * (2 * k + 1) / 12.0));
        double norm = 1.0 / (1.0 + w / q + w * w);
        double b0 = w * w * norm;
        s.push_back({(float)b0, (float)(2 * b0), (float)b0, (float)(2.0 * (w * w - 1.0) * norm),
                     (float)((1.0 - w / q + w * w) * norm)});
    }
    return s;
}

// One block through the three sections of s in direct form, sample by
// sample; the sections' state is held in locals for the loop.
inline void run_three_biquads(std::vector<Biquad> &s, const float *in, float *out, int32_t frames)
{
    Biquad p = s[0], q = s[1], r = s[2];
    for (int32_t i = 0; i < frames; ++i) {
        float x = in[i];
        for (Biquad *b : {&p, &q, &r}) {
            float y = b->b0 * x + b->b1 * b->x1 + b->b2 * b->x2 - b->a1 * b->y1 - b->a2 * b->y2;
            b->x2 = b->x1;
            b->x1 = x;
            b->y2 = b->y1;
            b->y1 = y;
            x = y;
        }
        out[i] = x;
    }
    s[0] = p;
    s[1] = q;
    s[2] = r;
}

// The same, written as plainly as it usually is: each section's state stays in
// its object, which the compiler must update around every store to out.
inline void run_three_biquads_in_place(std::vector<Biquad> &s, const float *in, float *out,
                                       int32_t frames)
{
    for (int32_t i = 0; i < frames; ++i) {
        float x = in[i];
        for (Biquad &b : s) {
            float y = b.b0 * x + b.b1 * b.x1 + b.b2 * b.x2 - b.a1 * b.y1 - b.a2 * b.y2;
            b.x2 = b.x1;
            b.x1 = x;
            b.y2 = b.y1;
            b.y1 = y;
            x = y;
        }
        out[i] = x;
    }
}
