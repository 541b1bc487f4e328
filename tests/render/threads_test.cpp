// The renderer's threads change nothing: the samples equal those read,
// filtered and written in turn on one thread, to the bit, for host block
// sizes, mono and stereo, with automation cutting blocks at odd frames.
#include "tests/render/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(RenderThreads, OutputEqualsTheSingleThreadedRun)
{
    if (real_plugin().empty())
        GTEST_SKIP() << "vemo.so is not built in this tree";
    TempDir dir;
    const int rate = 48000;
    const size_t frames = 70001;
    write_text(dir / "auto.txt", "0.0 cutoff 300\n"
                                 "0.10001 cutoff 4000\n"
                                 "0.3 state off\n"
                                 "0.51234 state on\n"
                                 "0.7 cutoff 90\n"
                                 "0.70002 1 0.5\n"
                                 "1.2 cutoff 2000\n");
    for (int channels : {1, 2}) {
        std::vector<float> s = sine_wave(frames * (size_t)channels, 220.0, rate, 0.4);
        uint32_t x = 5;
        for (float &v : s) {
            x = x * 1664525u + 1013904223u;
            v += (float)((double)x / 4294967296.0 - 0.5) * 0.5f;
        }
        write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, channels, rate, s);
        for (const char *block : {"1", "7", "512", "4096"}) {
            for (bool automated : {false, true}) {
                SCOPED_TRACE(std::to_string(channels) + " channels, block " + block +
                             (automated ? ", automated" : ""));
                std::vector<std::string> args = {
                    dir / "in.wav", "", "--plugin", real_plugin(), "--quiet", "--block", block};
                if (automated)
                    args.insert(args.end(), {"--automation", dir / "auto.txt"});
                args[1] = dir / "threads.wav";
                RunResult a = run_renderer(args);
                args[1] = dir / "one.wav";
                args.push_back("--single-thread");
                RunResult b = run_renderer(args);
                ASSERT_EQ(a.status, 0) << a.err;
                ASSERT_EQ(b.status, 0) << b.err;
                // Samples to the bit (a float file's header carries the time of writing).
                const Sound x = read_sound(dir / "threads.wav"), y = read_sound(dir / "one.wav");
                ASSERT_EQ(x.info.frames, (sf_count_t)frames);
                ASSERT_EQ(x.samples.size(), y.samples.size());
                EXPECT_EQ(std::memcmp(x.samples.data(), y.samples.data(),
                                      sizeof(float) * x.samples.size()),
                          0);
            }
        }
    }
}

} // namespace
