// vemo-render's outputs end to end: interrupted runs, read-only targets, the
// plug-in named in the current folder, what the last line reports, cutoffs the
// filter cannot reach, and the response plot's file names.
#include "tests/render/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Outputs : public ::testing::Test {
protected:
    RunResult probe_run(std::vector<std::string> args, RunOptions options = {})
    {
        return run_probe(std::move(args), dir / "probe.log", std::move(options));
    }
    RunResult real_run(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--plugin", real_plugin(), "--quiet"});
        return run_renderer(args);
    }
    void make_input(int frames, int rate = 8000)
    {
        write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate,
                    std::vector<float>((size_t)frames, 0.25f));
    }
    TempDir dir;
};

TEST_F(Outputs, InterruptedRunLeavesTheOldOutputAndNoTemporary)
{
    make_input(100000);
    for (int sig : {SIGINT, SIGTERM}) {
        write_text(dir / "out.wav", "previous contents");
        RunOptions options;
        options.env.push_back({"VEMO_TEST_PAUSE_AT", "5"}); // in the middle of the file
        options.interrupt_signal = sig;
        RunResult r = probe_run({dir / "in.wav", dir / "out.wav"}, options);
        EXPECT_EQ(r.status, 130) << sig << ": " << r.err;
        EXPECT_NE(r.err.find("interrupted: " + dir / "out.wav" +
                             " was not written (the previous file "
                             "is untouched)"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(read_text(dir / "out.wav"), "previous contents");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.wav", "out.wav", "probe.log"}));
    }
}

TEST_F(Outputs, ReadOnlyOutputIsReplacedOnlyWithForce)
{
    make_input(1000);
    write_text(dir / "out.wav", "keep me");
    ASSERT_EQ(chmod((dir / "out.wav").c_str(), 0444), 0);
    RunResult r = probe_run({dir / "in.wav", dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is read-only"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(read_text(dir / "out.wav"), "keep me");

    r = probe_run({dir / "in.wav", dir / "out.wav", "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_sound(dir / "out.wav").info.frames, 1000);
    struct stat st;
    ASSERT_EQ(stat((dir / "out.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << "a forced file stays read-only";
}

TEST_F(Outputs, PluginNamedInTheCurrentFolderIsLoadedFromThere)
{
    make_input(1000);
    {
        std::ifstream from(probe_plugin(), std::ios::binary);
        std::ofstream to(dir / "probe.so", std::ios::binary);
        to << from.rdbuf();
    }
    RunOptions options;
    options.cwd = dir.path;
    options.env.push_back({"VEMO_PROBE_LOG", dir / "probe.log"});
    RunResult r = run_renderer({"in.wav", "out.wav", "--plugin", "probe.so", "--quiet"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_sound(dir / "out.wav").info.frames, 1000);
}

TEST_F(Outputs, FlacHintNamesTheFormatsThatWork)
{
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 8000,
                std::vector<float>(100, 0.25f));
    RunResult r = probe_run({dir / "in.wav", dir / "out.flac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("choose --format pcm16 or pcm24"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--format float"), std::string::npos) << r.err;
}

TEST_F(Outputs, LastLineSaysCutoffStateAndBlock)
{
    if (real_plugin().empty())
        GTEST_SKIP() << "vemo.so is not built in this tree";
    struct Case {
        int rate;
        std::vector<std::string> options;
        std::string reported; // in the last line
        std::string warning;  // "" when none is due
    };
    const std::vector<Case> cases = {
        {48000, {}, "with cutoff 283 Hz (the plug-in's default), State on, block 512\n", ""},
        {48000,
         {"--cutoff", "1000", "--block", "64"},
         "with cutoff 1000 Hz, State on, block 64\n",
         ""},
        {48000, {"--cutoff", "5000", "--state", "off"}, "with cutoff 5000 Hz, State off", ""},
        {8000,
         {"--cutoff", "5000"},
         "with cutoff 5000 Hz, running at 1500 Hz, State on",
         "warning: the cutoff 5000 Hz is above what the filter reaches at 8000 Hz: it runs at "
         "1500 Hz"},
        {22050,
         {"--cutoff", "8000"},
         "running at 4134 Hz",
         "is above what the filter reaches at 22050 Hz: it runs at 4134 Hz"},
        {22050, {"--cutoff", "4000"}, "with cutoff 4000 Hz, State on", ""},
        {8000,
         {"--cutoff", "500", "--automation", dir / "auto.txt"},
         "with cutoff 500 Hz, State on, block 512, then 2 automation changes from",
         "warning: the automated cutoff 3000 Hz is above what the filter reaches at 8000 Hz"},
        {48000, {"--automation", dir / "start.txt"}, "with cutoff 700 Hz, State on", ""},
    };
    write_text(dir / "auto.txt", "0.1 cutoff 3000\n9 cutoff 8000\n"); // 9 s: after the end
    write_text(dir / "start.txt", "0 cutoff 700\n");
    for (const Case &c : cases) {
        write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, c.rate,
                    sine_wave(2000, 100, c.rate, 0.5));
        std::vector<std::string> args = {dir / "in.wav", dir / "out.wav"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult r = real_run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.reported), std::string::npos) << r.err;
        if (c.warning.empty())
            EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
        else
            EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
    }
}

TEST_F(Outputs, ResponseIsSvgLabelledWithTheCutoffThatRan)
{
    for (const char *name : {"plot.png", "plot.csv", "plot.PNG"}) {
        RunResult r = probe_run({"--response", dir / name, "--rate", "8000"});
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_NE(r.err.find("name it .svg"), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});

    if (real_plugin().empty())
        GTEST_SKIP() << "vemo.so is not built in this tree";
    RunResult r = real_run({"--response", dir / "plot.svg", "--rate", "8000", "--cutoff", "5000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: --cutoff 5000 Hz is above what the filter reaches at 8000 Hz"),
              std::string::npos)
        << r.err;
    const std::string svg = read_text(dir / "plot.svg");
    EXPECT_NE(svg.find("cutoff 1500 Hz (5000 asked)"), std::string::npos);
    EXPECT_NE(svg.find("0.225 x rate"), std::string::npos);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"plot.csv", "plot.svg"}));
}

} // namespace
