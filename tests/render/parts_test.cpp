// Command-line parsing, the cutoff mapping and the output format rules.
#include "tools/render/cutoff_map.h"
#include "tools/render/options.h"
#include "tools/render/response.h"
#include "tools/render/sound_file.h"

#include <gtest/gtest.h>

namespace {

Options parse(std::vector<const char *> args)
{
    args.insert(args.begin(), "vemo-render");
    return parse_options((int)args.size(), args.data());
}

TEST(Options, ParametersKeepCommandLineOrder)
{
    Options o = parse({"in.wav", "--cutoff=1000", "--param", "1=0.5", "out.wav", "--state", "off",
                       "--block", "64"});
    EXPECT_EQ(o.mode, Mode::Render);
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.block, 64);
    ASSERT_EQ(o.params.size(), 3u);
    EXPECT_EQ(o.params[0].index, PARAM_FREQUENCY);
    EXPECT_EQ(o.params[0].value, host_value_for_cutoff(1000.0));
    EXPECT_EQ(o.params[1].index, 1);
    EXPECT_EQ(o.params[1].value, 0.5f);
    EXPECT_EQ(o.params[2].index, PARAM_STATE);
    EXPECT_EQ(o.params[2].value, 0.0f);
    // A file name that starts with a dash after --.
    o = parse({"--", "-in.wav", "out.wav"});
    EXPECT_EQ(o.input, "-in.wav");
}

TEST(Options, ResponseTakesSeveralCutoffsAndHasDefaults)
{
    Options o = parse({"--response", "r.svg"});
    EXPECT_EQ(o.mode, Mode::Response);
    EXPECT_EQ(o.cutoffs, (std::vector<double>{100.0, 1000.0, 5000.0}));
    EXPECT_EQ(o.rate, 48000.0);
    o = parse({"--response", "r.svg", "--cutoff", "20", "--cutoff", "8333", "--rate", "96000"});
    EXPECT_EQ(o.cutoffs, (std::vector<double>{20.0, 8333.0}));
    EXPECT_EQ(o.rate, 96000.0);
    EXPECT_THROW(parse({"--response", "r.svg", "--rate", "44100.5"}), UsageError);
    EXPECT_THROW(parse({"--response", "r.svg", "--format", "float"}), UsageError);
    EXPECT_EQ(parse({"in", "out", "--help"}).mode, Mode::Help);
    EXPECT_THROW(parse({"--trace=yes", "in", "out"}), UsageError);
}

TEST(CutoffMap, RoundTripNeverFallsBelowTheRequest)
{
    EXPECT_EQ(host_value_for_cutoff(20.0), 0.0f);
    EXPECT_EQ(host_value_for_cutoff(8333.0), 1.0f);
    EXPECT_EQ(cutoff_for_host_value(1.0f), 8333.0f);
    for (double hz = 20.0; hz <= 8333.0; hz += 0.75) {
        const float shown = cutoff_for_host_value(host_value_for_cutoff(hz));
        ASSERT_GE(shown, (float)hz) << hz;
        ASSERT_LT(shown - hz, 1e-3 + hz * 1e-6) << hz;
    }
    // 1000 Hz shown: the one-poles run at exactly 1200 Hz, not 1199.
    EXPECT_GE((double)cutoff_for_host_value(host_value_for_cutoff(1000.0)) * 1.2, 1200.0);
}

TEST(OutputFormat, ContainerFromExtensionSamplesFromInputOrRequest)
{
    const int wav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    EXPECT_EQ(output_format_for(wav24, "out.wav", SampleFormat::Same), wav24);
    EXPECT_EQ(output_format_for(wav24, "dir.v2/out", SampleFormat::Same), wav24);
    EXPECT_EQ(output_format_for(wav24, "OUT.FLAC", SampleFormat::Same),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(output_format_for(wav24, "out.aif", SampleFormat::Float),
              SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_EQ(output_format_for(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "out.wav", SampleFormat::Pcm24),
              wav24);
    // A big-endian input keeps its byte order in its own container.
    const int be = SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG;
    EXPECT_EQ(output_format_for(be, "x.wav", SampleFormat::Same), be);
    EXPECT_THROW(output_format_for(SF_FORMAT_WAV | SF_FORMAT_FLOAT, "out.flac", SampleFormat::Same),
                 SoundError);
    EXPECT_THROW(output_format_for(wav24, "out.xyz", SampleFormat::Same), SoundError);
}

TEST(Paths, CsvSitsBesideTheSvg)
{
    EXPECT_EQ(replace_extension("out/plot.svg", ".csv"), "out/plot.csv");
    EXPECT_EQ(replace_extension("plot", ".csv"), "plot.csv");
    EXPECT_EQ(replace_extension("a.b/plot", ".csv"), "a.b/plot.csv");
    EXPECT_EQ(replace_extension("./.hidden", ".csv"), "./.hidden.csv");
}

} // namespace
