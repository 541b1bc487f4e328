// The example scripts on generated files, judged by what they must do.
#include <gtest/gtest.h>

#include <cmath>

#include "zrsh/zrsh_files.h"

namespace {

Audio mono(double seconds, int rate = 44100)
{
    Audio a;
    a.rate = rate;
    a.channels = 1;
    a.samples.assign((size_t)(seconds * rate), 0.0);
    return a;
}

Audio render(const std::string &script, const Audio *input, const std::string &name)
{
    std::string args = "-o " + temp_path(name + "_out.wav") + " " + example(script);
    if (input) {
        write_audio(temp_path(name + "_in.wav"), *input);
        args = "-i " + temp_path(name + "_in.wav") + " " + args;
    }
    ZrshRun r = run_zrsh(args);
    EXPECT_EQ(r.status, 0) << r.errors;
    return read_audio(temp_path(name + "_out.wav"));
}

int rising_crossings(const Audio &a, double from, double to)
{
    int n = 0;
    for (size_t i = (size_t)(from * a.rate) + 1; i < (size_t)(to * a.rate); ++i)
        if (a.at(i - 1) < 0 && a.at(i) >= 0)
            ++n;
    return n;
}

} // namespace

TEST(ZrshExamples, EchoRepeatsAQuarterSecondLaterAtHalfLevel)
{
    Audio in = mono(1.0);
    in.samples[1000] = 0.5;
    Audio out = render("echo.zrsh", &in, "echo");
    ASSERT_EQ(out.frames(), in.frames() + 66150); // 1.5 s of tail
    const size_t delay = 11026;                   // 0.25 s and the line's one sample
    EXPECT_NEAR(out.at(1000), 0.5, 1e-6);
    EXPECT_NEAR(out.at(1000 + delay), 0.25, 1e-5);
    EXPECT_NEAR(out.at(1000 + 2 * delay), 0.125, 1e-5);
    EXPECT_NEAR(out.at(1000 + 3 * delay), 0.0625, 1e-5);
    double elsewhere = 0;
    for (size_t i = 0; i < out.frames(); ++i)
        if ((i < 1000 || (i - 1000) % delay != 0))
            elsewhere = std::max(elsewhere, std::fabs(out.at(i)));
    EXPECT_LT(elsewhere, 1e-6);
}

TEST(ZrshExamples, MultitapWritesTwoChannelsOfTaps)
{
    Audio in = mono(0.5);
    in.samples[0] = 0.8;
    Audio out = render("multitap.zrsh", &in, "multitap");
    ASSERT_EQ(out.channels, 2);
    EXPECT_NEAR(out.at(0, 0), 0.8, 1e-6);
    EXPECT_NEAR(out.at(4851, 0), 0.4, 1e-5);   // 0.11 s as a float: 4850 + 1
    EXPECT_NEAR(out.at(10144, 0), 0.28, 1e-5); // 0.23 s
    EXPECT_NEAR(out.at(7498, 1), 0.36, 1e-5);  // 0.17 s
    EXPECT_NEAR(out.at(7498, 0), 0.0, 1e-6);
}

TEST(ZrshExamples, DistortionFlattensASine)
{
    Audio in = mono(0.5);
    for (size_t i = 0; i < in.frames(); ++i)
        in.samples[i] = 0.5 * std::sin(2 * M_PI * 220 * i / 44100.0);
    Audio out = render("distortion.zrsh", &in, "dist");
    double peak = 0;
    for (size_t i = 4410; i < out.frames(); ++i)
        peak = std::max(peak, std::fabs(out.at(i)));
    const double crest = peak / rms(out, 0.1, 0.5);
    EXPECT_GT(peak, 0.3);
    EXPECT_LT(peak, 1.0);
    EXPECT_LT(crest, 1.3); // a sine has 1.414
    EXPECT_EQ(rising_crossings(out, 0.1, 0.5), rising_crossings(in, 0.1, 0.5));
}

TEST(ZrshExamples, NoiseGateLearnsTheNoiseAndKeepsTheTone)
{
    Audio in = mono(3.0);
    std::srand(7);
    for (size_t i = 0; i < in.frames(); ++i) {
        double noise = 0.05 * (std::rand() / (double)RAND_MAX * 2 - 1);
        double tone = i >= 66150 ? 0.3 * std::sin(2 * M_PI * 1000 * i / 44100.0) : 0.0;
        in.samples[i] = noise + tone;
    }
    Audio out = render("noisegate.zrsh", &in, "gate");
    const double noise_in = rms(in, 1.1, 1.5), noise_out = rms(out, 1.1, 1.5);
    EXPECT_LT(noise_out, noise_in * 0.5) << noise_in << " " << noise_out;
    const double tone_in = rms(in, 2.0, 3.0), tone_out = rms(out, 2.0, 3.0);
    EXPECT_GT(tone_out / tone_in, 0.6);
    EXPECT_LT(tone_out / tone_in, 1.2);
}

TEST(ZrshExamples, PitchShiftRaisesAMajorThird)
{
    Audio in = mono(1.0, 48000);
    for (size_t i = 0; i < in.frames(); ++i)
        in.samples[i] = 0.5 * std::sin(2 * M_PI * 200 * i / 48000.0);
    Audio out = render("pitchshift.zrsh", &in, "pitch");
    EXPECT_NEAR(rising_crossings(out, 0.2, 1.0), 200, 8); // 250 Hz over 0.8 s
}

TEST(ZrshExamples, DecayHoldsThenFallsByEPerTimeConstant)
{
    Audio out = render("decay.zrsh", nullptr, "decay");
    ASSERT_EQ(out.frames(), 88200u);
    ASSERT_EQ(out.channels, 2);
    EXPECT_DOUBLE_EQ(out.at(0), 1.0 / 32);
    EXPECT_DOUBLE_EQ(out.at(4410), 1.0 / 32); // t = 0.1
    for (double t : {0.4, 0.7, 1.3}) {
        size_t i = (size_t)std::llround(t * 44100);
        double expected =
            std::trunc(std::exp(-(i / 44100.0 - 0.1) / 0.3) * 33554432.0) / 1073741824.0;
        EXPECT_NEAR(out.at(i), expected, 1e-9) << t;
    }
    // Noise times the envelope (2^24 = 1.0): never above 64 times it.
    for (size_t i = 0; i < out.frames(); i += 7)
        ASSERT_LE(std::fabs(out.at(i, 1)), 64 * out.at(i, 0) + 1e-9) << i;
}
