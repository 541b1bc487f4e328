// The live host's command line: what is refused and why, and what the
// accepted selections make of a started host (test driver class, real plug-in).
#include "fake_driver.h"
#include "host/host_options.h"

#include "app/ZR_Application_Preset.h"
#include "app/vemo_params.h"
#include "support/temp_folder.h"
#include "vst/vst_entry.h"

#include <gtest/gtest.h>

namespace {

HostOptions parse(std::vector<std::string> args, std::string *error)
{
    std::vector<char *> argv{const_cast<char *>("vemo")};
    for (std::string &a : args)
        argv.push_back(a.data());
    HostOptions o;
    *error = parse_host_options((int)argv.size(), argv.data(), &o);
    return o;
}

TEST(HostOptions, RefusesWhatCannotBeMeant)
{
    struct Case {
        std::vector<std::string> args;
        const char *error_part; // empty: accepted
    };
    const Case cases[] = {
        {{}, ""},
        {{"--driver", "JACK default", "--mode", "2", "--channels", "32"}, ""},
        {{"--rate", "44100", "--input", "2=3", "--input", "1=1", "--no-gui", "1.5"}, ""},
        {{"--no-gui", "--list"}, ""},
        {{"--driver"}, "--driver needs a value"},
        {{"--driver", ""}, "--driver needs a name"},
        {{"--mode", "0"}, "--mode takes"},
        {{"--mode", "33"}, "--mode takes"},
        {{"--mode", "2x"}, "--mode takes"},
        {{"--mode", "1", "--rate", "48000"}, "give one"},
        {{"--rate", "-48000"}, "--rate takes"},
        {{"--channels", "0"}, "--channels takes"},
        {{"--channels", "33"}, "--channels takes"},
        {{"--channels", "99999999999999999999"}, "--channels takes"},
        {{"--input", "2"}, "--input takes"},
        {{"--input", "0=1"}, "--input takes"},
        {{"--input", "1=33"}, "--input takes"},
        {{"--input", "=1"}, "--input takes"},
        {{"--no-gui", "nan"}, "--no-gui takes"},
        {{"--no-gui", "-1"}, "unknown option -1"},
        {{"--preset", ""}, "--preset needs"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
    };
    for (const Case &c : cases) {
        std::string error;
        parse(c.args, &error);
        if (!*c.error_part)
            EXPECT_EQ(error, "") << c.args.size();
        else
            EXPECT_NE(error.find(c.error_part), std::string::npos)
                << "got \"" << error << "\" for " << c.args[0];
    }
    std::string error;
    HostOptions o = parse({"--rate", "44100", "--input", "2=3", "--no-gui", "1.5"}, &error);
    EXPECT_EQ(o.rate, 44100);
    EXPECT_EQ(o.links, (std::vector<std::pair<int, int>>{{2, 3}}));
    EXPECT_TRUE(o.no_gui);
    EXPECT_EQ(o.seconds, 1.5);
}

struct NoShell : HostShell {
    void *editor_parent() override { return nullptr; }
    void open_help(const char *) override {}
};

class HostOptionsApply : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeRts::log.clear();
        FakeRts::setups = {{"A", 2, {48000}}, {"B", 4, {44100, 96000, 48000}}};
    }
    // Starts a host and applies args; returns the problems reported.
    std::string run(std::vector<std::string> args)
    {
        std::string error;
        HostOptions o = parse(args, &error);
        EXPECT_EQ(error, "");
        host = std::make_unique<LiveHost>(
            &VSTPluginMain,
            std::vector<HostDriverClass>{{&FakeRts::classInit, &FakeRts::class_cleanup, nullptr}},
            &shell);
        host->start();
        return apply_host_options(*host, o);
    }
    void TearDown() override
    {
        if (host)
            host->shutdown();
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> t;
        for (int k = 0; k < host->channel_count(); ++k)
            t.push_back(host->channel_text(k));
        return t;
    }
    NoShell shell;
    std::unique_ptr<LiveHost> host;
};

TEST_F(HostOptionsApply, SelectionsBecomeMenuCommands)
{
    EXPECT_EQ(run({"--driver", "B", "--rate", "48000", "--channels", "3", "--input", "1=4",
                   "--input", "3=2"}),
              "");
    EXPECT_EQ(host->current_driver()->name, std::string("B"));
    EXPECT_EQ(host->current_mode()->rate, 48000);
    EXPECT_EQ(texts(), (std::vector<std::string>{"1. B in 4", "2. B in 2", "3. B in 2"}));
    EXPECT_EQ(host->selected_channel(), 2); // the last one added stays selected
}

TEST_F(HostOptionsApply, DriverByNumberAndModeByNumber)
{
    EXPECT_EQ(run({"--driver", "2", "--mode", "2"}), "");
    EXPECT_EQ(host->current_mode()->rate, 96000);
}

TEST_F(HostOptionsApply, WhatCannotBeAppliedIsSaidAndTheRestApplies)
{
    const std::string problems =
        run({"--driver", "Z", "--rate", "96000", "--channels", "2", "--input", "3=1"});
    EXPECT_NE(problems.find("no audio driver \"Z\""), std::string::npos) << problems;
    EXPECT_NE(problems.find("no mode at 96000 Hz"), std::string::npos) << problems;
    EXPECT_NE(problems.find("no channel 3 or input 1"), std::string::npos) << problems;
    EXPECT_EQ(host->current_driver()->name, std::string("A"));
    EXPECT_EQ(host->channel_count(), 2);
}

TEST_F(HostOptionsApply, PresetReachesTheSelectedChannelThroughTheHostInterface)
{
    TempFolder folder;
    const std::string file = folder / "p.vemo";
    ASSERT_EQ(write_preset_file(file.c_str(), PresetValues{0, 1000.0f}), nullptr);
    EXPECT_EQ(run({"--channels", "2", "--preset", file}), "");
    AEffect *loaded = host->channel_effect(1), *other = host->channel_effect(0);
    EXPECT_EQ(loaded->getParameter(loaded, PARAM_STATE), 0.0f);
    EXPECT_NEAR(loaded->getParameter(loaded, PARAM_FREQUENCY),
                param_to_host(HOST_PARAMS[PARAM_FREQUENCY], 1000.0f), 1e-6);
    EXPECT_EQ(other->getParameter(other, PARAM_STATE), 1.0f);

    host->shutdown();
    const std::string bad = folder / "bad.vemo";
    std::FILE *f = std::fopen(bad.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_NE(run({"--preset", bad}).find("Bad content in preset file."), std::string::npos);
}

} // namespace
