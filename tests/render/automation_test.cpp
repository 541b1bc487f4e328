// Automation files: parsing rules, and sample-accurate changes seen by the plug-in.
#include "tests/render/test_support.h"
#include "tools/render/automation.h"
#include "tools/render/cutoff_map.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<AutomationEvent> parse(const std::string &text)
{
    std::istringstream in(text);
    return parse_automation(in, "auto.txt");
}

std::string error_of(const std::string &text)
{
    try {
        parse(text);
    }
    catch (const AutomationError &e) {
        return e.what();
    }
    return "";
}

TEST(AutomationFile, ReadsNamesIndexesCommentsAndSortsStably)
{
    auto events = parse("# cutoff sweep\n"
                        "\n"
                        "2.0 cutoff 8333   # top\n"
                        "0.5 state off\n"
                        "  2.0 0 1\n"
                        "0 1 0.25\n"
                        "1e-1 state on\n");
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].time, 0.0);
    EXPECT_EQ(events[0].index, 1);
    EXPECT_EQ(events[0].value, 0.25f);
    EXPECT_EQ(events[1].time, 0.1);
    EXPECT_EQ(events[1].value, 1.0f);
    EXPECT_EQ(events[2].index, PARAM_STATE);
    EXPECT_EQ(events[2].value, 0.0f);
    // Equal times keep the file's order.
    EXPECT_EQ(events[3].line, 3);
    EXPECT_EQ(events[3].index, PARAM_FREQUENCY);
    EXPECT_EQ(events[3].value, 1.0f);
    EXPECT_EQ(events[4].line, 5);
    EXPECT_EQ(automation_frame(events[1], 44100), 4410);
}

TEST(AutomationFile, ErrorsNameTheLine)
{
    EXPECT_EQ(error_of("0 cutoff 100\n1 cutoff\n"),
              "auto.txt:2: expected TIME_SECONDS PARAM VALUE");
    EXPECT_NE(error_of("-1 state on\n").find("auto.txt:1: time"), std::string::npos);
    EXPECT_NE(error_of("x state on\n").find("auto.txt:1: time"), std::string::npos);
    EXPECT_NE(error_of("0 cutoff 19\n").find("20 to 8333"), std::string::npos);
    EXPECT_NE(error_of("0 cutoff nan\n").find("auto.txt:1: cutoff"), std::string::npos);
    EXPECT_NE(error_of("0 state half\n").find("on, off"), std::string::npos);
    EXPECT_NE(error_of("0 gain 1\n").find("unknown parameter 'gain'"), std::string::npos);
    EXPECT_NE(error_of("0 1 1.01\n").find("0 to 1"), std::string::npos);
    EXPECT_NE(error_of("0 -1 0.5\n").find("unknown parameter"), std::string::npos);
    EXPECT_NE(error_of("\n\n0 1 0.5 extra\n").find("auto.txt:3: unexpected 'extra'"),
              std::string::npos);
}

// The probe plug-in outputs in * p0 + p1, so the output shows when each change landed.
TEST(AutomationRender, ChangesLandOnTheirSampleFrame)
{
    TempDir dir;
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 1000,
                std::vector<float>(2000, 0.5f));
    write_text(dir / "auto.txt", "0.25 0 0.5\n"
                                 "0.5 1 0.25\n"
                                 "0.7004 state off\n"
                                 "0.9 cutoff 8333\n"
                                 "5 0 1\n"); // after the end: never applied
    RunOptions probe_log;
    probe_log.env.push_back({"VEMO_PROBE_LOG", dir / "probe.log"});
    RunResult r = run_renderer({dir / "in.wav", dir / "out.wav", "--automation", dir / "auto.txt",
                                "--plugin", probe_plugin(), "--block", "64", "--param", "0=1"},
                               probe_log);
    ASSERT_EQ(r.status, 0) << r.err;
    Sound s = read_sound(dir / "out.wav");
    ASSERT_EQ(s.info.frames, 1000);
    auto expected = [](int frame) {
        float p0 = frame < 250 ? 1.0f : frame < 700 ? 0.5f : 0.0f;
        float p1 = frame < 500 ? 0.0f : frame < 900 ? 0.25f : 1.0f;
        return 0.5f * p0 + p1;
    };
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(s.samples[(size_t)(2 * i)], expected(i)) << "frame " << i;
        ASSERT_EQ(s.samples[(size_t)(2 * i + 1)], expected(i)) << "frame " << i;
    }
    // Blocks are cut at the events and otherwise keep the host block size.
    EXPECT_NE(read_text(dir / "probe.log").find("max_frames=64 calls=19 misuse=0"),
              std::string::npos)
        << read_text(dir / "probe.log");
}

TEST(AutomationRender, BadFileOrIndexStopsBeforeWriting)
{
    TempDir dir;
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000,
                std::vector<float>(100, 0.1f));
    write_text(dir / "bad.txt", "0 state on\n0.1 volume 3\n");
    write_text(dir / "index.txt", "0.01 7 0.5\n");
    RunResult r = run_renderer({dir / "in.wav", dir / "out.wav", "--automation", dir / "bad.txt",
                                "--plugin", probe_plugin()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.txt:2: unknown parameter 'volume'"), std::string::npos) << r.err;
    r = run_renderer({dir / "in.wav", dir / "out.wav", "--automation", dir / "index.txt",
                      "--plugin", probe_plugin()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("index.txt:1: the plug-in has no parameter 7"), std::string::npos)
        << r.err;
    r = run_renderer({dir / "in.wav", dir / "out.wav", "--automation", dir / "none.txt", "--plugin",
                      probe_plugin()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read automation file"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.txt", "in.wav", "index.txt"}));
}

} // namespace
