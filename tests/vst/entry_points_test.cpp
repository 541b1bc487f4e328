// Parameter and processing entries of the record, as the host's threads call them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "probe_effect.h"

namespace {

class EntryPoints : public testing::Test {
protected:
    ProbeEffect fx{nullptr};
    AEffect *e = fx.getAeffect();
};

TEST_F(EntryPoints, ParameterEntriesForwardValidIndices)
{
    e->setParameter(e, 1, 0.25f);
    e->setParameter(e, 0, 1.0f);
    EXPECT_EQ(e->getParameter(e, 1), 0.25f);
    EXPECT_EQ(e->getParameter(e, 0), 1.0f);
    ASSERT_EQ(fx.setParameterLog.size(), 2u);
    EXPECT_EQ(fx.setParameterLog[0].index, 1);
}

TEST_F(EntryPoints, ParameterEntriesRejectIndicesOutsideParameterCount)
{
    for (int32_t index : {-1, 2, 1000, INT32_MIN, INT32_MAX}) {
        e->setParameter(e, index, 0.5f);
        EXPECT_EQ(e->getParameter(e, index), 0.0f) << index;
    }
    EXPECT_EQ(fx.outOfRangeCalls, 0);
    EXPECT_TRUE(fx.setParameterLog.empty());
}

TEST_F(EntryPoints, SetParameterDropsNonFiniteValues)
{
    e->setParameter(e, 0, std::numeric_limits<float>::quiet_NaN());
    e->setParameter(e, 0, std::numeric_limits<float>::infinity());
    e->setParameter(e, 0, -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(fx.setParameterLog.empty());
}

TEST_F(EntryPoints, ProcessEntriesForwardToTheirOperations)
{
    float in0[5] = {1, 2, 3, 4, 5}, out0[5] = {}, out1[5] = {};
    float *ins[] = {in0};
    float *outs[] = {out0, out1};
    e->processReplacing(e, ins, outs, 5);
    EXPECT_EQ(fx.replacingCalls, 1);
    EXPECT_EQ(out0[4], 10.0f);
    EXPECT_EQ(out1[0], 2.0f);

    e->process(e, ins, outs, 3);
    EXPECT_EQ(fx.accumulatingCalls, 1);
    EXPECT_EQ(fx.lastFrames, 3);

    double din[2] = {}, dout0[2] = {}, dout1[2] = {};
    double *dins[] = {din};
    double *douts[] = {dout0, dout1};
    e->processDoubleReplacing(e, dins, douts, 2);
    EXPECT_EQ(fx.doubleCalls, 1);
    EXPECT_EQ(fx.lastFrames, 2);

    e->processReplacing(e, ins, outs, 0); // empty block still reaches the effect
    EXPECT_EQ(fx.replacingCalls, 2);
}

TEST_F(EntryPoints, ProcessEntriesRejectBlocksTheEffectCannotWalk)
{
    float buf[4] = {};
    float *one[] = {buf};
    float *two[] = {buf, buf};
    float *holed[] = {buf, nullptr};
    float *missing[] = {nullptr};
    e->processReplacing(e, nullptr, two, 4);
    e->processReplacing(e, one, nullptr, 4);
    e->processReplacing(e, missing, two, 4);
    e->processReplacing(e, one, holed, 4);
    e->processReplacing(e, one, two, -1);
    e->process(e, nullptr, two, 4);
    e->processDoubleReplacing(e, nullptr, nullptr, 4);
    EXPECT_EQ(fx.replacingCalls + fx.accumulatingCalls + fx.doubleCalls, 0);
}

TEST_F(EntryPoints, DefaultOperationsDoNothing)
{
    DefaultEffect d(nullptr);
    AEffect *de = d.getAeffect();
    float buf[2] = {7.0f, 7.0f};
    float *one[] = {buf};
    float *two[] = {buf, buf};
    de->process(de, one, two, 2);
    de->setParameter(de, 0, 0.75f);
    EXPECT_EQ(de->getParameter(de, 0), 0.0f);
    EXPECT_EQ(buf[0], 7.0f);
}

TEST(EntryPointsNoObject, NullRecordOrObjectIsIgnored)
{
    DefaultEffect d(nullptr);
    AEffect *e = d.getAeffect();
    EXPECT_EQ(e->dispatcher(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    e->setParameter(nullptr, 0, 0.5f);
    EXPECT_EQ(e->getParameter(nullptr, 0), 0.0f);
    e->processReplacing(nullptr, nullptr, nullptr, 16);

    AEffect copy = *e;
    copy.object = nullptr;
    EXPECT_EQ(copy.dispatcher(&copy, effClose, 0, 0, nullptr, 0.0f), 0);
    copy.process(&copy, nullptr, nullptr, 16);
}

} // namespace
