// Measured frequency response: sine tones through a pipe, gains compared with
// the filters' difference equations and with the analogue prototypes.
#include "filter_test_util.h"

#include <cstdio>

using namespace pipetest;
using namespace filtertest;

namespace {

constexpr int BLOCK = 512;
constexpr int MEASURE = 8192; // whole periods of every tone are measured
constexpr int SETTLE = 16384; // enough for the slowest filter here to settle
constexpr double AMPLITUDE = 1 << 28;

// Tolerances, in dB. The fixed-point filters must match their own difference
// equation closely; the discretisations depart from the analogue prototypes
// as the frequencies approach the sample rate (r = max(fc, tone) / fs).
constexpr double DISCRETE_TOLERANCE_DB = 0.01;
double onepole_analogue_tolerance(double r)
{
    return 0.1 + 12.0 * r;
}
double bandpass_analogue_tolerance(double r)
{
    return 0.02 + 30.0 * r * r;
}

struct Tone {
    int bin;
    double hz, w;
};

Tone tone_near(double hz, int fs)
{
    int k = (int)std::lround(hz * MEASURE / fs);
    return {k, (double)k * fs / MEASURE, 2 * PI * k / MEASURE};
}

// Gain of the tone through the effect built by `command` (its first two
// placeholders are the buffers), at sample rate fs, measured in the pipe.
double measure(const char *command, double fc, int fs, const Tone &t, ZR_Effect **made = nullptr)
{
    ZR_Soundpipe *pipe = make_pipe(BLOCK);
    ZR_Buffer *in = make_buffer("in"), *out = make_buffer("out");
    ZR_Effect *e = nullptr;
    EXPECT_EQ(ZR_OK, spcpp(command, &e, in, out));
    end_pipe(pipe);
    EXPECT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", e, fs));
    EXPECT_EQ(ZR_OK, spcpp("%o -f %f", e, fc));

    std::vector<int32_t> x(SETTLE + MEASURE);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = (int32_t)std::lround(AMPLITUDE * std::sin(t.w * (double)i));
    std::vector<int32_t> y = run(pipe, in, out, x, BLOCK);
    std::vector<int32_t> xs(x.end() - MEASURE, x.end()), ys(y.end() - MEASURE, y.end());
    double gain = tone_amplitude(ys, t.bin) / tone_amplitude(xs, t.bin);
    if (made) {
        *made = e;
    }
    else {
        destroy(e);
    }
    destroy(out);
    destroy(in);
    destroy(pipe);
    return gain;
}

class FilterResponse : public PipeTest {};

TEST_F(FilterResponse, OnePoleLowPassFollowsItsEquationAndPrototype)
{
    for (int fs : {44100, 48000, 96000}) {
        for (int fc : {100, 1000, 5000}) {
            for (double ratio : {0.25, 1.0, 4.0}) {
                Tone t = tone_near(fc * ratio, fs);
                if (t.hz > fs / 2.5)
                    continue;
                ZR_Effect *e = nullptr;
                double g = measure("ZR_Effect_Lopass -i %o -o %o", fc, fs, t, &e);
                double a = static_cast<ZR_Effect_Onepole *>(e)->alpha.load() / 4294967296.0;
                destroy(e);
                double discrete = std::abs(onepole_discrete(a, t.w));
                double analogue = onepole_analogue_gain(fc, t.hz);
                double r = std::max<double>(fc, t.hz) / fs;
                std::printf("lopass fs %6d fc %5d tone %8.2f Hz: measured %8.4f dB, equation %8.4f "
                            "dB, analogue %8.4f dB\n",
                            fs, fc, t.hz, db(g), db(discrete), db(analogue));
                EXPECT_NEAR(db(discrete), db(g), DISCRETE_TOLERANCE_DB)
                    << fs << " " << fc << " " << t.hz;
                EXPECT_NEAR(db(analogue), db(g), onepole_analogue_tolerance(r))
                    << fs << " " << fc << " " << t.hz;
            }
        }
    }
}

TEST_F(FilterResponse, OnePoleHighPassIsTheComplement)
{
    for (int fs : {44100, 96000}) {
        int fc = 1000;
        for (double ratio : {0.25, 1.0, 4.0}) {
            Tone t = tone_near(fc * ratio, fs);
            ZR_Effect *e = nullptr;
            double g = measure("ZR_Effect_Hipass -i %o -o %o", fc, fs, t, &e);
            double a = static_cast<ZR_Effect_Onepole *>(e)->alpha.load() / 4294967296.0;
            destroy(e);
            double discrete = std::abs(1.0 - onepole_discrete(a, t.w));
            EXPECT_NEAR(db(discrete), db(g), DISCRETE_TOLERANCE_DB) << fs << " " << t.hz;
        }
    }
}

TEST_F(FilterResponse, BandPassFollowsItsEquationAndPrototype)
{
    for (const char *section : {"integer", "floating"}) {
        for (int fs : {44100, 48000, 96000}) {
            for (int fc : {100, 1000, 5000}) {
                const double q = 0.618f;
                for (double ratio : {0.25, q, 1.0, 1 / q, 4.0}) {
                    Tone t = tone_near(fc * ratio, fs);
                    if (t.hz > fs / 2.5)
                        continue;
                    char command[96];
                    std::snprintf(command, sizeof command,
                                  "ZR_Effect_Bapass -i %%o -o %%o -q .618 -a %s", section);
                    ZR_Effect *e = nullptr;
                    double g = measure(command, fc, fs, t, &e);
                    auto *bp = static_cast<ZR_Effect_Bapass *>(e);
                    double c1 = bp->c1, c2 = bp->c2, c3 = bp->c3;
                    if (section[0] == 'i') { // the fixed-point section runs on the truncated words
                        c1 = bp->k1 / 1073741824.0;
                        c2 = bp->k2 / 2147483648.0;
                        c3 = bp->k3 / 2147483648.0;
                    }
                    destroy(e);
                    double discrete = std::abs(bandpass_discrete(c1, c2, c3, t.w));
                    double analogue = bandpass_analogue_gain(fc * q, fc / q, t.hz);
                    double r = std::max<double>(fc, t.hz) / fs;
                    std::printf("bapass %-8s fs %6d fc %5d tone %8.2f Hz: measured %8.4f dB, "
                                "equation %8.4f dB, analogue %8.4f dB\n",
                                section, fs, fc, t.hz, db(g), db(discrete), db(analogue));
                    EXPECT_NEAR(db(discrete), db(g), DISCRETE_TOLERANCE_DB)
                        << section << " " << fs << " " << fc << " " << t.hz;
                    EXPECT_NEAR(db(analogue), db(g), bandpass_analogue_tolerance(r))
                        << section << " " << fs << " " << fc << " " << t.hz;
                }
            }
        }
    }
}

} // namespace
