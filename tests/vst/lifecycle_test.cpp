// effClose through the record: close runs, then the effect and its editor are
// destroyed, in any state the host leaves them.
#include <gtest/gtest.h>

#include "probe_effect.h"

namespace {

intptr_t quietDispatch(AEffect *e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                       void *ptr = nullptr, float opt = 0.0f)
{
    testing::internal::CaptureStdout();
    intptr_t result = hostDispatch(e, opcode, index, value, ptr, opt);
    testing::internal::GetCapturedStdout();
    return result;
}

class Lifecycle : public testing::Test {
protected:
    void SetUp() override { eventLog.clear(); }
};

TEST_F(Lifecycle, CloseRightAfterConstructionDestroysEffect)
{
    AEffect *e = (new ProbeEffect(nullptr))->getAeffect();
    EXPECT_EQ(quietDispatch(e, effClose), 1);
    EXPECT_EQ(eventLog, (std::vector<std::string>{"close", "~effect"}));
}

TEST_F(Lifecycle, CloseAfterFullSessionDestroysEffectThenEditor)
{
    ProbeEffect *fx = new ProbeEffect(&FakeHost::callback);
    fx->setEditor(new ProbeEditor(fx));
    AEffect *e = fx->getAeffect();
    int parent = 0;
    quietDispatch(e, effOpen);
    quietDispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    quietDispatch(e, effMainsChanged, 0, 1);
    quietDispatch(e, effEditOpen, 0, 0, &parent);
    // Host closes without effEditClose or effMainsChanged 0.
    EXPECT_EQ(quietDispatch(e, effClose), 1);
    EXPECT_EQ(eventLog,
              (std::vector<std::string>{"open", "resume", "close", "~effect", "~editor"}));
}

TEST_F(Lifecycle, CloseWithDefaultEditorFreesBoth)
{
    DefaultEffect *fx = new DefaultEffect(nullptr);
    fx->setEditor(new AEffEditor(fx));
    EXPECT_EQ(quietDispatch(fx->getAeffect(), effClose), 1);
    EXPECT_EQ(eventLog, (std::vector<std::string>{"~effect"}));
}

TEST_F(Lifecycle, ObjectDispatcherCloseDoesNotDestroy)
{
    ProbeEffect fx(nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fx.dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(fx.dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(eventLog, (std::vector<std::string>{"close", "close"}));
}

} // namespace
