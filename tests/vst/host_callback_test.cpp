// Host-callback wrappers: what reaches the host, and their fallbacks without one.
#include <gtest/gtest.h>

#include "probe_effect.h"

namespace {

class HostCallback : public testing::Test {
protected:
    void SetUp() override { FakeHost::reset(); }
};

TEST_F(HostCallback, SizeWindowAsksHostAndReportsItsAnswer)
{
    ProbeEffect fx(&FakeHost::callback);
    FakeHost::answer = 1;
    EXPECT_TRUE(fx.sizeWindow(200, 236));
    FakeHost::answer = 0;
    EXPECT_FALSE(fx.sizeWindow(300, 400));

    ASSERT_EQ(FakeHost::calls.size(), 2u);
    const HostCall &c = FakeHost::calls[0];
    EXPECT_EQ(c.effect, fx.getAeffect());
    EXPECT_EQ(c.opcode, audioMasterSizeWindow);
    EXPECT_EQ(c.index, 200);
    EXPECT_EQ(c.value, 236);
    EXPECT_EQ(c.ptr, nullptr);
    EXPECT_EQ(c.opt, 0.0f);
}

TEST_F(HostCallback, WantEventsPassesFilterAndReturnsHostAnswer)
{
    ProbeEffect fx(&FakeHost::callback);
    FakeHost::answer = 7;
    EXPECT_EQ(fx.wantEvents(3), 7);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    EXPECT_EQ(FakeHost::calls[0].effect, fx.getAeffect());
    EXPECT_EQ(FakeHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(FakeHost::calls[0].index, 0);
    EXPECT_EQ(FakeHost::calls[0].value, 3);
}

TEST_F(HostCallback, SetParameterAutomatedSetsThenTellsHost)
{
    ProbeEffect fx(&FakeHost::callback);
    fx.setParameterAutomated(1, 0.25f);
    EXPECT_EQ(fx.getParameter(1), 0.25f);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    const HostCall &c = FakeHost::calls[0];
    EXPECT_EQ(c.effect, fx.getAeffect());
    EXPECT_EQ(c.opcode, audioMasterAutomate);
    EXPECT_EQ(c.index, 1);
    EXPECT_EQ(c.value, 0);
    EXPECT_EQ(c.ptr, nullptr);
    EXPECT_EQ(c.opt, 0.25f);
}

TEST_F(HostCallback, NullHostGivesFallbacks)
{
    ProbeEffect fx(nullptr);
    EXPECT_FALSE(fx.sizeWindow(200, 236));
    EXPECT_EQ(fx.wantEvents(1), 0);
    fx.setParameterAutomated(0, 0.5f);
    EXPECT_EQ(fx.getParameter(0), 0.5f); // the parameter still changes

    fx.canDoMidi = 1;
    fx.setFlag(effFlagsIsSynth, true);
    testing::internal::CaptureStdout();
    hostDispatch(fx.getAeffect(), effMainsChanged, 0, 1); // resume reaches wantEvents
    testing::internal::GetCapturedStdout();
}

} // namespace
