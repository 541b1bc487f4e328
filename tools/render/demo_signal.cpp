// demo_signal: band-limited sawtooth chords (A minor, then F major) and hi-hat-like noise bursts.
#include "tools/render/demo_signal.h"
#include "tools/render/sound_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.141592653589793;

// Sum of harmonics k with amplitude 1/k below 0.45 of the rate.
double saw(double phase, double f, double rate)
{
    double s = 0.0;
    for (int k = 1; k * f < 0.45 * rate && k <= 60; ++k)
        s += std::sin(k * phase) / k;
    return s;
}

} // namespace

std::vector<float> demo_signal(double rate, double seconds)
{
    const size_t frames = (size_t)std::llround(rate * seconds);
    std::vector<double> mix(frames * 2, 0.0);
    const double chords[2][4] = {{110.00, 130.81, 164.81, 220.00}, {87.31, 110.00, 130.81, 174.61}};
    const double half = seconds / 2.0;
    for (int c = 0; c < 2; ++c) {
        const size_t start = (size_t)(c * half * rate),
                     end = std::min(frames, (size_t)((c + 1) * half * rate));
        for (int note = 0; note < 4; ++note)
            for (int ch = 0; ch < 2; ++ch) {
                const double f = chords[c][note] * (ch ? 1.002 : 0.998); // a little width
                for (size_t i = start; i < end; ++i) {
                    const double t = (double)(i - start) / rate, left = (double)(end - i) / rate;
                    const double env = std::min(1.0, t / 0.02) * std::min(1.0, left / 0.15) *
                                       (0.6 + 0.4 * std::exp(-t * 2.0));
                    mix[i * 2 + (size_t)ch] += 0.12 * env * saw(2.0 * kPi * f * t, f, rate);
                }
            }
    }
    // Noise bursts every 0.75 s, alternating sides, sharp attack and 60 ms decay.
    uint32_t seed = 0x12345678u;
    for (int burst = 0; burst * 0.75 + 0.375 < seconds; ++burst) {
        const size_t start = (size_t)((burst * 0.75 + 0.375) * rate);
        const size_t len = std::min((size_t)(0.25 * rate), frames - start);
        const double pan = burst % 2 ? 0.8 : 0.2;
        for (size_t i = 0; i < len; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double n =
                ((double)(seed >> 8) / 8388608.0 - 1.0) * std::exp(-(double)i / rate / 0.06);
            mix[(start + i) * 2] += 0.35 * (1.0 - pan) * n;
            mix[(start + i) * 2 + 1] += 0.35 * pan * n;
        }
    }
    double peak = 1e-9;
    for (double v : mix)
        peak = std::max(peak, std::fabs(v));
    std::vector<float> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        out[i] = (float)(mix[i] * 0.7 / peak);
    return out;
}

void write_demo_file(const std::string &path, double rate, double seconds)
{
    const std::vector<float> samples = demo_signal(rate, seconds);
    SoundWriter writer(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, (int)rate);
    writer.write(samples.data(), (int64_t)(samples.size() / 2));
    writer.commit();
}
