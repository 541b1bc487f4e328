// The plug-in's measured gains against the double-precision model of its
// difference equations, and the --response output files.
#include "tests/render/test_support.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/design_model.h"
#include "tools/render/plugin_host.h"
#include "tools/render/response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace {

constexpr double kTolerance = 0.05; // dB
constexpr double kFloor = -80.0;    // below this the fixed-point noise has a say

TEST(DesignModel, StagesAreThirdOrderButterworthsAtOnePointTwoTimesTheCutoff)
{
    // At a rate far above the cutoff the discrete design approaches the analog
    // prototype (1/((s+1)(s^2+s+1)))^2: -6.02 dB at 1.2 f, 0 dB at DC.
    const float x = host_value_for_cutoff(1000.0);
    const DesignCoefficients d = design_for_host_value(x, 1e7);
    EXPECT_EQ(d.lowpass_hz, 1200.0);
    EXPECT_NEAR(d.bandpass_hz, 1200.0, 1e-3);
    EXPECT_NEAR(design_gain_db(d, 0.0, 1e7), 0.0, 1e-12);
    EXPECT_NEAR(design_gain_db(d, 1200.0, 1e7), -20.0 * std::log10(2.0), 0.01);
    // One octave above, each stage is 1/sqrt(1 + 2^6) in the analog prototype.
    EXPECT_NEAR(design_gain_db(d, 2400.0, 1e7), -20.0 * std::log10(65.0), 0.02);
}

TEST(DesignModel, BandPassVanishesAtNyquistLeavingTheOnePoles)
{
    const double fs = 48000;
    const DesignCoefficients d = design_for_host_value(host_value_for_cutoff(1000.0), fs);
    const double a = d.a;
    EXPECT_NEAR(design_gain_db(d, fs / 2, fs), 2 * 20.0 * std::log10(a / (2.0 - a)), 1e-9);
    EXPECT_NEAR(butterworth6_db(1000.0, 1000.0), -10.0 * std::log10(2.0), 1e-12);
}

class MeasuredResponse : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (real_plugin().empty())
            GTEST_SKIP() << "vemo.so is not built in this tree";
    }
};

TEST_F(MeasuredResponse, SineToneGainsMatchTheModelWithinFiveHundredthsOfADecibel)
{
    PluginLibrary library(real_plugin());
    const double ratios[] = {0.1, 0.3, 0.5, 0.7, 0.85, 1.0, 1.2, 1.5, 2.0, 3.0, 5.0};
    int checked = 0;
    double worst = 0.0;
    std::string where;
    for (double fs : {44100.0, 48000.0, 96000.0})
        for (double cutoff : {100.0, 200.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0}) {
            const float x = host_value_for_cutoff(cutoff);
            const DesignCoefficients d = design_for_host_value(x, fs);
            for (double r : ratios) {
                const double f = r * cutoff;
                const double model = design_gain_db(d, f, fs);
                if (f < 10.0 || f > 0.45 * fs || model < kFloor)
                    continue;
                const double measured = 20.0 * std::log10(measure_tone_gain(library, fs, x, f));
                ++checked;
                if (std::fabs(measured - model) > worst) {
                    worst = std::fabs(measured - model);
                    where = std::to_string(fs) + " Hz rate, cutoff " + std::to_string(cutoff) +
                            ", tone " + std::to_string(f);
                }
                EXPECT_NEAR(measured, model, kTolerance)
                    << "rate " << fs << " cutoff " << cutoff << " tone " << f;
            }
        }
    EXPECT_GT(checked, 180);
    std::fprintf(stderr, "%d tones, largest difference %.5f dB (%s)\n", checked, worst,
                 where.c_str());
}

TEST_F(MeasuredResponse, TopOfTheKnobAndLowRatesStayExactAndStable)
{
    // Where 1.2 times the cutoff passes 0.225 times the rate the filters stop
    // there: at 44.1 kHz near the top of the knob, at 8 to 22.05 kHz over much
    // of its travel. Above that point the band-pass coefficients would wrap or
    // the recursion diverge.
    PluginLibrary library(real_plugin());
    for (double fs : {8000.0, 16000.0, 22050.0, 44100.0})
        for (double cutoff : {1500.0, 3000.0, 8333.0}) {
            const float x = host_value_for_cutoff(cutoff);
            const DesignCoefficients d = design_for_host_value(x, fs);
            EXPECT_LE(d.bandpass_hz, 0.225 * fs);
            for (double f : {0.005 * fs, 0.05 * fs, 0.2 * fs, 0.3 * fs, 0.45 * fs}) {
                const double model = design_gain_db(d, f, fs);
                if (model < kFloor)
                    continue;
                const double measured = 20.0 * std::log10(measure_tone_gain(library, fs, x, f));
                EXPECT_NEAR(measured, model, kTolerance)
                    << "rate " << fs << " cutoff " << cutoff << " tone " << f;
            }
            EXPECT_NEAR(20.0 * std::log10(measure_tone_gain(library, fs, x, 0.005 * fs)), 0.0, 0.1)
                << "rate " << fs << " cutoff " << cutoff;
        }
}

TEST_F(MeasuredResponse, ResponseCommandWritesPlotAndFigures)
{
    TempDir dir;
    RunResult r = run_renderer({"--response", dir / "plot.svg", "--cutoff", "250", "--cutoff",
                                "4000", "--rate", "96000", "--plugin", real_plugin()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"plot.csv", "plot.svg"}));

    std::istringstream csv(read_text(dir / "plot.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "sample_rate_hz,cutoff_hz,frequency_hz,measured_db,design_db,butterworth6_db");
    int rows = 0;
    double lowest = 0.0, highest = 0.0;
    while (std::getline(csv, line)) {
        double rate, cutoff, f, measured, model, ideal;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &rate, &cutoff, &f,
                              &measured, &model, &ideal),
                  6)
            << line;
        EXPECT_EQ(rate, 96000.0);
        EXPECT_TRUE(cutoff == 250.0 || cutoff == 4000.0) << line;
        EXPECT_NEAR(ideal, butterworth6_db(f, cutoff), 1e-5);
        if (model > kFloor) {
            EXPECT_NEAR(measured, model, kTolerance) << line;
        }
        lowest = rows ? std::min(lowest, f) : f;
        highest = std::max(highest, f);
        ++rows;
    }
    EXPECT_EQ(rows, 2 * 160);
    EXPECT_DOUBLE_EQ(lowest, 10.0);
    EXPECT_LT(highest, 48000.0);
    EXPECT_GT(highest, 0.45 * 96000);

    const std::string svg = read_text(dir / "plot.svg");
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    for (const char *text : {"Frequency (Hz)", "Gain (dB)", "cutoff 250 Hz", "cutoff 4000 Hz",
                             "ideal Butterworth", "96 kHz", ">1k<", ">10k<", ">-60<", "</svg>"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
}

} // namespace
