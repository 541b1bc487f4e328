// vemo-render end to end: formats, channels, host protocol, and its error paths.
#include "tests/render/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<float> interleave(const std::vector<float> &l, const std::vector<float> &r)
{
    std::vector<float> s(l.size() * 2);
    for (size_t i = 0; i < l.size(); ++i) {
        s[2 * i] = l[i];
        s[2 * i + 1] = r[i];
    }
    return s;
}

double rms(const std::vector<float> &s, size_t channels, size_t ch, size_t from)
{
    double sum = 0.0;
    size_t n = 0;
    for (size_t i = from * channels + ch; i < s.size(); i += channels, ++n)
        sum += (double)s[i] * s[i];
    return std::sqrt(sum / (double)std::max<size_t>(n, 1));
}

class RealPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (real_plugin().empty())
            GTEST_SKIP() << "vemo.so is not built in this tree";
    }
    RunResult render(const std::vector<std::string> &args)
    {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--plugin", real_plugin(), "--quiet"});
        return run_renderer(all);
    }
    TempDir dir;
};

TEST_F(RealPlugin, StereoFloatFiltersEachChannelOnItsOwn)
{
    const int rate = 48000;
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, rate,
                interleave(sine_wave(24000, 100, rate, 0.5), sine_wave(24000, 6000, rate, 0.5)));
    RunResult r = render({dir / "in.wav", dir / "out.wav", "--cutoff", "1000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "") << "the plug-in's trace must not reach standard output";
    Sound out = read_sound(dir / "out.wav");
    ASSERT_EQ(out.info.channels, 2);
    EXPECT_EQ(out.info.frames, 24000);
    EXPECT_EQ(out.info.samplerate, rate);
    EXPECT_EQ(out.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
    EXPECT_NEAR(rms(out.samples, 2, 0, 4800), 0.5 / std::sqrt(2.0), 0.01); // 100 Hz passes
    EXPECT_LT(rms(out.samples, 2, 1, 4800), 0.5 * 0.02);                   // 6 kHz is cut

    // The left channel alone gives the same samples: one instance per channel.
    write_sound(dir / "left.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, rate,
                sine_wave(24000, 100, rate, 0.5));
    ASSERT_EQ(render({dir / "left.wav", dir / "left-out.wav", "--cutoff", "1000"}).status, 0);
    Sound left = read_sound(dir / "left-out.wav");
    ASSERT_EQ(left.samples.size(), 24000u);
    for (size_t i = 0; i < left.samples.size(); ++i)
        ASSERT_EQ(left.samples[i], out.samples[2 * i]) << "frame " << i;
}

TEST_F(RealPlugin, Mono16BitWithTheFilterOffIsUnchanged)
{
    std::vector<float> in = sine_wave(30000, 3000, 44100, 0.9);
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, in);
    RunResult r = render({dir / "in.wav", dir / "out.wav", "--state", "off"});
    ASSERT_EQ(r.status, 0) << r.err;
    Sound a = read_sound(dir / "in.wav"), b = read_sound(dir / "out.wav");
    EXPECT_EQ(b.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(a.samples.size(), b.samples.size());
    for (size_t i = 0; i < a.samples.size(); ++i)
        ASSERT_EQ(a.samples[i], b.samples[i]) << "sample " << i;
}

TEST_F(RealPlugin, TwentyFourBitKeepsItsFormatAndRoundsToNearest)
{
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 48000,
                sine_wave(9600, 440, 48000, 0.7));
    ASSERT_EQ(render({dir / "in.wav", dir / "out24.wav", "--cutoff", "2000"}).status, 0);
    ASSERT_EQ(
        render({dir / "in.wav", dir / "outf.wav", "--cutoff", "2000", "--format", "float"}).status,
        0);
    Sound pcm = read_sound(dir / "out24.wav"), flt = read_sound(dir / "outf.wav");
    EXPECT_EQ(pcm.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(flt.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(pcm.samples.size(), flt.samples.size());
    const double step = 1.0 / 8388608.0;
    for (size_t i = 0; i < pcm.samples.size(); ++i)
        ASSERT_LE(std::fabs((double)pcm.samples[i] - flt.samples[i]), step / 2 + 1e-12)
            << "sample " << i;
}

TEST_F(RealPlugin, FormatAndContainerFollowTheRequest)
{
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 22050,
                sine_wave(2205, 440, 22050, 0.5));
    ASSERT_EQ(render({dir / "in.wav", dir / "out.flac", "--format", "pcm16"}).status, 0);
    EXPECT_EQ(read_sound(dir / "out.flac").info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(render({dir / "in.wav", dir / "out.aiff", "--format=pcm24"}).status, 0);
    EXPECT_EQ(read_sound(dir / "out.aiff").info.format & ~SF_FORMAT_ENDMASK,
              SF_FORMAT_AIFF | SF_FORMAT_PCM_24);

    // Float samples cannot go into FLAC: a clear error and no file.
    RunResult r = render({dir / "in.wav", dir / "float.flac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--format"), std::string::npos) << r.err;
    EXPECT_NE(access((dir / "float.flac").c_str(), F_OK), 0);
}

TEST_F(RealPlugin, OutputDoesNotDependOnTheHostBlockSize)
{
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100,
                sine_wave(20000, 1234, 44100, 0.8));
    std::vector<float> reference;
    for (const char *block : {"512", "1", "37", "4096"}) {
        ASSERT_EQ(
            render({dir / "in.wav", dir / "out.wav", "--block", block, "--cutoff", "800"}).status,
            0);
        Sound s = read_sound(dir / "out.wav");
        if (reference.empty())
            reference = s.samples;
        else
            EXPECT_EQ(s.samples, reference) << "block " << block;
    }
}

TEST_F(RealPlugin, TraceOnStandardOutputOnlyWhenAsked)
{
    write_sound(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000,
                sine_wave(800, 100, 8000, 0.5));
    RunResult quiet = render({dir / "in.wav", dir / "a.wav"});
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err.find("dispatcher"), std::string::npos);
    RunResult traced = render({dir / "in.wav", dir / "b.wav", "--trace"});
    EXPECT_EQ(traced.err.find("dispatcher"), std::string::npos);
    // The host's calls in order: open, rate, block size, on ... off, close.
    EXPECT_EQ(traced.out.rfind("AudioEffectX::dispatcher opcode=0 'UNKNOWN'", 0), 0u) << traced.out;
    EXPECT_NE(traced.out.find("AudioEffect::dispatcher opcode=1 'effClose'"), std::string::npos);
    EXPECT_EQ(read_sound(dir / "a.wav").samples, read_sound(dir / "b.wav").samples);
}

// Host protocol and failure handling with the probe plug-in.
class Probe : public ::testing::Test {
protected:
    RunResult render(std::vector<std::string> args, RunOptions options = {})
    {
        return run_probe(std::move(args), dir / "probe.log", std::move(options));
    }
    void make_input(const std::string &name, int frames = 1000, int channels = 1)
    {
        write_sound(dir / name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, channels, 8000,
                    std::vector<float>((size_t)(frames * channels), 0.25f));
    }
    TempDir dir;
};

TEST_F(Probe, DrivesOneInstancePerChannelLikeAHost)
{
    make_input("in.wav", 1000, 3);
    RunResult r = render({dir / "in.wav", dir / "out.wav", "--block", "300"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    // open, rate, block, mains on, a silent first block, mains off, close; blocks of at most 300.
    const std::string line =
        "opcodes=0,10,11,12,12,1 rate=8000 block=300 max_frames=300 calls=5 misuse=0\n";
    EXPECT_EQ(read_text(dir / "probe.log"), line + line + line);
}

TEST_F(Probe, RefusedOrMissingPluginIsAnError)
{
    make_input("in.wav");
    RunOptions refuse;
    refuse.env.push_back({"VEMO_PROBE_REFUSE", "1"});
    RunResult r = render({dir / "in.wav", dir / "out.wav"}, refuse);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("refused to start"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.wav"}));

    r = run_renderer({dir / "in.wav", dir / "out.wav", "--plugin", dir / "in.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot load plug-in"), std::string::npos) << r.err;

    r = render({dir / "in.wav", dir / "out.wav", "--param", "2=0.5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no parameter 2"), std::string::npos) << r.err;
}

TEST_F(Probe, UnreadableInputsFailClearly)
{
    RunResult r = render({dir / "missing.wav", dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No such file"), std::string::npos) << r.err;

    write_text(dir / "notes.wav", "these are not samples\n");
    r = render({dir / "notes.wav", dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;

    r = render({dir.path, dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"notes.wav"}));
}

TEST_F(Probe, BadOptionsExitWithUsageStatus)
{
    make_input("in.wav");
    const std::vector<std::vector<std::string>> cases = {
        {dir / "in.wav"},
        {dir / "in.wav", dir / "out.wav", dir / "extra.wav"},
        {dir / "in.wav", dir / "out.wav", "--cutoff", "10"},
        {dir / "in.wav", dir / "out.wav", "--cutoff", "9000"},
        {dir / "in.wav", dir / "out.wav", "--cutoff", "1k"},
        {dir / "in.wav", dir / "out.wav", "--cutoff", "100", "--cutoff", "200"},
        {dir / "in.wav", dir / "out.wav", "--state", "maybe"},
        {dir / "in.wav", dir / "out.wav", "--param", "1=1.5"},
        {dir / "in.wav", dir / "out.wav", "--param", "x=0.5"},
        {dir / "in.wav", dir / "out.wav", "--block", "0"},
        {dir / "in.wav", dir / "out.wav", "--block", "100000"},
        {dir / "in.wav", dir / "out.wav", "--format", "mp3"},
        {dir / "in.wav", dir / "out.wav", "--rate", "48000"},
        {dir / "in.wav", dir / "out.wav", "--bogus"},
        {dir / "in.wav", dir / "out.wav", "--block"},
        {"--response", dir / "r.svg", "--state", "on"},
        {"--response", dir / "r.svg", dir / "in.wav"},
        {"--response", dir / "r.svg", "--make-demo", dir / "d.wav"},
    };
    for (const auto &args : cases) {
        RunResult r = render(args);
        std::string joined;
        for (const auto &a : args)
            joined += a + " ";
        EXPECT_EQ(r.status, 2) << joined;
        EXPECT_NE(r.err.find("vemo-render: "), std::string::npos) << joined;
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.wav"}));
}

TEST_F(Probe, NeverOverwritesTheInput)
{
    make_input("in.wav");
    const std::string before = read_text(dir / "in.wav");
    ASSERT_EQ(link((dir / "in.wav").c_str(), (dir / "hard.wav").c_str()), 0);
    ASSERT_EQ(symlink("in.wav", (dir / "soft.wav").c_str()), 0);
    for (const char *out : {"in.wav", "hard.wav", "soft.wav", "./in.wav"}) {
        RunResult r = render({dir / "in.wav", dir.path + "/" + out, "--param", "0=0.5"});
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.err.find("refusing to overwrite the input"), std::string::npos) << r.err;
    }
    EXPECT_EQ(read_text(dir / "in.wav"), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"hard.wav", "in.wav", "soft.wav"}));
}

TEST_F(Probe, FailedWritesLeaveNoPartialFile)
{
    make_input("in.wav", 200000);
    // A folder that does not exist.
    RunResult r = render({dir / "in.wav", dir / "nowhere/out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write in"), std::string::npos) << r.err;

    // A write that fails half way (file size limit): the old OUT stays as it was.
    write_text(dir / "out.wav", "previous contents");
    RunOptions limited;
    limited.file_size_limit = 100000;
    r = render({dir / "in.wav", dir / "out.wav"}, limited);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("error writing"), std::string::npos) << r.err;
    EXPECT_EQ(read_text(dir / "out.wav"), "previous contents");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.wav", "out.wav", "probe.log"}));

    // A folder without write permission (root may write anywhere: skipped then).
    if (geteuid() != 0) {
        ASSERT_EQ(mkdir((dir / "locked").c_str(), 0555), 0);
        r = render({dir / "in.wav", dir / "locked/out.wav"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
    }
}

TEST_F(Probe, NewOutputGetsTheUsualPermissions)
{
    make_input("in.wav");
    ASSERT_EQ(render({dir / "in.wav", dir / "out.wav"}).status, 0);
    struct stat st;
    ASSERT_EQ(stat((dir / "out.wav").c_str(), &st), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "not the 0600 of a temporary file";
}

TEST_F(Probe, PcmOutputClipsAndSaysSo)
{
    make_input("in.wav");
    // out = 0.25 * 1 + 1.0: above full scale.
    RunResult r = render({dir / "in.wav", dir / "out.wav", "--param", "1=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("1000 samples clipped"), std::string::npos) << r.err;
    Sound s = read_sound(dir / "out.wav");
    ASSERT_FALSE(s.samples.empty());
    EXPECT_FLOAT_EQ(s.samples[0], 32767.0f / 32768.0f);
}

} // namespace
