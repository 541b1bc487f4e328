// Requests no correct host sends: null buffers, indices and values out of
// range, odd numbers. Nothing may crash and overrides never see them.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "probe_effect.h"

namespace {

class HostileHost : public testing::Test {
protected:
    intptr_t call(int32_t opcode, int32_t index = 0, intptr_t value = 0, void *ptr = nullptr,
                  float opt = 0.0f)
    {
        testing::internal::CaptureStdout();
        intptr_t result = hostDispatch(e, opcode, index, value, ptr, opt);
        testing::internal::GetCapturedStdout();
        return result;
    }
    ProbeEffect fx{nullptr};
    AEffect *e = fx.getAeffect();
};

TEST_F(HostileHost, NullBuffersNeverReachOperations)
{
    ProbeEditor *editor = new ProbeEditor(&fx);
    fx.setEditor(editor);
    for (int32_t op : {effSetProgramName,
                       effGetProgramName,
                       effGetParamLabel,
                       effGetParamDisplay,
                       effGetParamName,
                       effEditGetRect,
                       effEditOpen,
                       effGetChunk,
                       effSetChunk,
                       effGetProgramNameIndexed,
                       effGetInputProperties,
                       effGetOutputProperties,
                       effGetEffectName,
                       effGetVendorString,
                       effGetProductString,
                       effCanDo,
                       effGetParameterProperties,
                       effGetMidiProgramName,
                       effGetMidiProgramCategory,
                       effGetMidiKeyName,
                       effShellGetNextPlugin}) {
        EXPECT_EQ(call(op, 0, 8, nullptr), 0) << op;
    }
    EXPECT_EQ(call(effGetCurrentMidiProgram, 0, 0, nullptr), -1);
    EXPECT_EQ(call(effGetSpeakerArrangement, 0, 0, nullptr), 0);
    EXPECT_EQ(fx.textCalls, 0);
    EXPECT_EQ(fx.nullCalls, 0);
    EXPECT_EQ(editor->nullCalls, 0);
    EXPECT_EQ(editor->opens, 0);
    EXPECT_FALSE(editor->isOpen());
    // Except the one question a null text asks: does this parameter take text.
    EXPECT_EQ(call(effString2Parameter, 0, 0, nullptr), 0);
    EXPECT_EQ(fx.nullCalls, 1);
    EXPECT_EQ(call(effString2Parameter, 5, 0, nullptr), 0);
    EXPECT_EQ(fx.nullCalls, 1);
}

TEST_F(HostileHost, DefaultOperationsTolerateNullWhenCalledDirectly)
{
    DefaultEffect d(nullptr);
    d.getProgramName(nullptr);
    d.getParamName(0, nullptr);
    d.getParamLabel(0, nullptr);
    d.getParamDisplay(0, nullptr);
    EXPECT_FALSE(d.getSpeakerArrangement(nullptr, nullptr));
    AEffEditor editor(&d);
    EXPECT_FALSE(editor.getRect(nullptr));
}

TEST_F(HostileHost, ParameterTextsForUnknownIndexAreEmpty)
{
    for (int32_t op : {effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        for (int32_t index : {-1, 2, INT32_MAX}) {
            char text[8];
            std::memset(text, 'x', sizeof text);
            EXPECT_EQ(call(op, index, 0, text), 0);
            EXPECT_EQ(text[0], '\0') << op << " " << index;
        }
    }
    char text[64] = "7";
    EXPECT_EQ(call(effCanBeAutomated, 2), 0);
    EXPECT_EQ(call(effString2Parameter, -1, 0, text), 0);
    EXPECT_EQ(call(effGetParameterProperties, 5, 0, text), 0);
    EXPECT_EQ(call(effGetProgramNameIndexed, 3, 0, text), 0);
    EXPECT_EQ(call(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_EQ(fx.textCalls, 0);
}

TEST_F(HostileHost, NegativeOrHugeProgramIsIgnored)
{
    call(effSetProgram, 0, 1);
    call(effSetProgram, 0, -1);
    call(effSetProgram, 0, static_cast<intptr_t>(INT32_MIN));
#if INTPTR_MAX > INT32_MAX
    call(effSetProgram, 0, intptr_t(1) << 32); // would truncate to program 0
#endif
    EXPECT_EQ(fx.getProgram(), 1);
}

TEST_F(HostileHost, UnusableRatesAndBlockSizesAreIgnored)
{
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {0.0f, 0.5f, 1.0e-30f, -44100.0f, inf, -inf, 3.0e9f,
                       std::numeric_limits<float>::quiet_NaN()})
        call(effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(fx.getSampleRate(), 44100.0f);
    call(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(fx.getSampleRate(), 96000.0f);

    call(effSetBlockSize, 0, 0);
    call(effSetBlockSize, 0, -512);
#if INTPTR_MAX > INT32_MAX
    call(effSetBlockSize, 0, intptr_t(1) << 32);
#endif
    EXPECT_EQ(fx.getBlockSize(), 1024);
}

TEST_F(HostileHost, ChunkWithNegativeOrOversizedLengthIsRefused)
{
    char blob[4] = "abc";
    EXPECT_EQ(call(effSetChunk, 0, -1, blob), 0);
#if INTPTR_MAX > INT32_MAX
    EXPECT_EQ(call(effSetChunk, 0, intptr_t(1) << 33, blob), 0);
#endif
    EXPECT_EQ(fx.textCalls, 0);
}

TEST_F(HostileHost, KeyModifierFromOutOfRangeOptIsZero)
{
    ProbeEditor *editor = new ProbeEditor(&fx);
    fx.setEditor(editor);
    for (float opt : {std::numeric_limits<float>::quiet_NaN(), 1.0e20f, -1.0e20f,
                      std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(call(effEditKeyDown, 'k', -1, nullptr, opt), 1);
        EXPECT_EQ(editor->lastKey.modifier, 0);
        EXPECT_EQ(editor->lastKey.virt, 0xFF);
    }
    EXPECT_EQ(call(effEditKeyDown, 'k', 0, nullptr, -1.0f), 1);
    EXPECT_EQ(editor->lastKey.modifier, 0xFF);
}

TEST_F(HostileHost, EditorCallsInOddOrder)
{
    ProbeEditor *editor = new ProbeEditor(&fx);
    fx.setEditor(editor);
    int parent = 0;
    EXPECT_EQ(call(effEditClose), 0);
    EXPECT_EQ(call(effEditIdle), 0);
    EXPECT_EQ(call(effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(call(effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(call(effEditClose), 0);
    EXPECT_EQ(call(effEditClose), 0);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(call(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(call(effMainsChanged, 0, 0), 0);
}

} // namespace
