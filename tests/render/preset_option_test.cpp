// vemo-render --preset: a preset's values render as the same settings given
// as options; a refused preset says why on standard error and renders nothing.
#include "tests/render/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void write_preset(const std::string &path, int32_t state, float frequency)
{
    const char header[] = "https://vemo-audio.org 6-th order Butterworth low-pass";
    std::ofstream out(path, std::ios::binary);
    out.write(header, sizeof header); // with its zero byte
    out.write(reinterpret_cast<const char *>(&state), 4);
    out.write(reinterpret_cast<const char *>(&frequency), 4);
}

class RenderPreset : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (real_plugin().empty())
            GTEST_SKIP() << "vemo.so is not built in this tree";
        std::vector<float> in(9600);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = (float)(0.5 * std::sin(2 * M_PI * 3000.0 * (double)i / 48000.0));
        write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, in);
    }
    RunResult render(const std::string &out, std::vector<std::string> args)
    {
        args.insert(args.begin(), {dir / "in.wav", dir / out});
        args.insert(args.end(), {"--plugin", real_plugin(), "--quiet"});
        return run_renderer(args);
    }
    TempDir dir;
};

TEST_F(RenderPreset, ValuesRenderLikeTheSameOptions)
{
    // Knob value 1020.0 shows 20 + 8313 t^2 with t = 1000 / 8313: 140.3 Hz.
    write_preset(dir / "warm.vemo", 1, 1020.0f);
    ASSERT_EQ(render("a.wav", {"--preset", dir / "warm.vemo"}).status, 0);
    const double t = 1000.0 / 8313.0;
    const double hz = 20.0 + 8313.0 * t * t;
    ASSERT_EQ(render("b.wav", {"--cutoff", std::to_string(hz)}).status, 0);
    Sound a = read_sound(dir / "a.wav"), b = read_sound(dir / "b.wav");
    ASSERT_EQ(a.samples.size(), b.samples.size());
    for (size_t i = 0; i < a.samples.size(); ++i)
        ASSERT_NEAR(a.samples[i], b.samples[i], 1e-6) << i;

    // State off renders the input unchanged; a later option still wins.
    write_preset(dir / "off.vemo", 0, 1500.0f);
    ASSERT_EQ(render("c.wav", {"--preset", dir / "off.vemo"}).status, 0);
    Sound in = read_sound(dir / "in.wav"), c = read_sound(dir / "c.wav");
    for (size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_NEAR(in.samples[i], c.samples[i], 1e-6) << i;
    ASSERT_EQ(render("d.wav", {"--preset", dir / "off.vemo", "--state", "on"}).status, 0);
    EXPECT_NE(read_sound(dir / "d.wav").samples, in.samples);
}

TEST_F(RenderPreset, RefusedPresetsFailWithTheirMessage)
{
    write_preset(dir / "nan.vemo", 1, std::nanf(""));
    write_text(dir / "short.vemo", "https://vemo-audio.org");
    struct Case {
        std::string path, message;
    };
    for (const Case &c : {Case{dir / "nan.vemo", "Bad content in preset file."},
                          Case{dir / "short.vemo", "Bad content in preset file."},
                          Case{dir / "none.vemo", "Cannot open this file."}}) {
        RunResult r = render("x.wav", {"--preset", c.path});
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    for (const std::string &name : dir.entries())
        EXPECT_NE(name, "x.wav");
    EXPECT_EQ(render("y.wav", {"--preset", dir / "none.vemo", "--preset", "b"}).status, 2);
}

} // namespace
