// Shared pieces of the filter tests: test signals, tone measurement and the
// transfer functions that the filters discretise.
#pragma once
#include "pipe_test_util.h"

#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/dsp/effects/ZR_Effect_Onepole.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace filtertest {

constexpr double PI = 3.141592653589793;

// Deterministic test signal: two tones plus noise, peaks near full scale
// (2^30), with a few full-scale steps.
inline std::vector<int32_t> test_signal(int n, uint32_t seed = 1)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> noise(-(1 << 27), 1 << 27);
    std::vector<int32_t> v(n);
    for (int i = 0; i < n; ++i) {
        double s = 0.4 * std::sin(2 * PI * 0.013 * i) + 0.3 * std::sin(2 * PI * 0.21 * i);
        int64_t x = (int64_t)(s * (1 << 30)) + noise(rng);
        if (i % 997 < 40)
            x = (i / 997) % 2 ? (1 << 30) : -(1 << 30);
        v[i] = (int32_t)x;
    }
    return v;
}

// Amplitude of the tone at bin k of a block of whole periods (k periods in
// y.size() samples), by correlation.
inline double tone_amplitude(const std::vector<int32_t> &y, int k)
{
    double s = 0, c = 0;
    const size_t n = y.size();
    for (size_t i = 0; i < n; ++i) {
        double w = 2 * PI * (double)k * (double)i / (double)n;
        s += y[i] * std::sin(w);
        c += y[i] * std::cos(w);
    }
    return 2.0 * std::sqrt(s * s + c * c) / (double)n;
}

inline double db(double gain)
{
    return 20.0 * std::log10(gain);
}

// One-pole difference equation b[t] = b[t-1] + a (x[t] - b[t-1]).
inline std::complex<double> onepole_discrete(double a, double w)
{
    std::complex<double> z1 = std::polar(1.0, -w);
    return a / (1.0 - (1.0 - a) * z1);
}

// y[t] = c3 (x[t] - x[t-2]) + (2 - c1) y[t-1] - (1 - c2) y[t-2].
inline std::complex<double> bandpass_discrete(double c1, double c2, double c3, double w)
{
    std::complex<double> z1 = std::polar(1.0, -w), z2 = std::polar(1.0, -2 * w);
    return c3 * (1.0 - z2) / (1.0 - (2.0 - c1) * z1 + (1.0 - c2) * z2);
}

// Analogue prototypes, frequencies in Hz.
inline double onepole_analogue_gain(double fc, double f)
{
    return 1.0 / std::sqrt(1.0 + (f / fc) * (f / fc));
}

inline double bandpass_analogue_gain(double fa, double fb, double f)
{
    double wa = 2 * PI * fa, wb = 2 * PI * fb, w = 2 * PI * f;
    double D = (wb - wa) / (wb * wa), E = 1.0 / (wb * wa);
    std::complex<double> s(0.0, w);
    return std::abs(D * s / (E * s * s + D * s + 1.0));
}

// Runs `blocks` blocks of the pipe, feeding `in` from x and collecting `out`.
inline std::vector<int32_t> run(ZR_Soundpipe *pipe, ZR_Buffer *in, ZR_Buffer *out,
                                const std::vector<int32_t> &x, int block)
{
    std::vector<int32_t> y;
    y.reserve(x.size());
    for (size_t pos = 0; pos < x.size(); pos += (size_t)block) {
        int k = (int)std::min<size_t>((size_t)block, x.size() - pos);
        pipe->block_length = k;
        std::copy(x.begin() + (long)pos, x.begin() + (long)pos + k, in->data);
        pipe->process();
        y.insert(y.end(), out->data, out->data + k);
    }
    return y;
}

} // namespace filtertest
