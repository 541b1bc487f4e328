// Host-callback wrappers: what reaches the host, and their fallbacks without one.
#include <gtest/gtest.h>

#include "probe_effect.h"

namespace {

class HostCallback : public testing::Test {
protected:
    void SetUp() override { FakeHost::reset(); }
};

// The call the host saw, every argument; these wrappers pass no pointer.
void expect_call(const HostCall &c, AEffect *effect, int32_t opcode, int32_t index, intptr_t value,
                 float opt)
{
    EXPECT_EQ(c.effect, effect);
    EXPECT_EQ(c.opcode, opcode);
    EXPECT_EQ(c.index, index);
    EXPECT_EQ(c.value, value);
    EXPECT_EQ(c.ptr, nullptr);
    EXPECT_EQ(c.opt, opt);
}

TEST_F(HostCallback, SizeWindowAsksHostAndReportsItsAnswer)
{
    ProbeEffect fx(&FakeHost::callback);
    FakeHost::answer = 1;
    EXPECT_TRUE(fx.sizeWindow(200, 236));
    FakeHost::answer = 0;
    EXPECT_FALSE(fx.sizeWindow(300, 400));

    ASSERT_EQ(FakeHost::calls.size(), 2u);
    expect_call(FakeHost::calls[0], fx.getAeffect(), audioMasterSizeWindow, 200, 236, 0.0f);
}

TEST_F(HostCallback, WantEventsPassesFilterAndReturnsHostAnswer)
{
    ProbeEffect fx(&FakeHost::callback);
    FakeHost::answer = 7;
    EXPECT_EQ(fx.wantEvents(3), 7);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    expect_call(FakeHost::calls[0], fx.getAeffect(), audioMasterWantMidi, 0, 3, 0.0f);
}

TEST_F(HostCallback, SetParameterAutomatedSetsThenTellsHost)
{
    ProbeEffect fx(&FakeHost::callback);
    fx.setParameterAutomated(1, 0.25f);
    EXPECT_EQ(fx.getParameter(1), 0.25f);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    expect_call(FakeHost::calls[0], fx.getAeffect(), audioMasterAutomate, 1, 0, 0.25f);
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
