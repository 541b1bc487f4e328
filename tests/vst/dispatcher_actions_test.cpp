// What the dispatchers do with their arguments: defaults of the base classes
// and forwarding to overridden operations and to the editor.
#include <gtest/gtest.h>

#include <cstring>

#include "probe_effect.h"

namespace {

// Dispatches with the trace lines swallowed.
class Dispatch : public testing::Test {
protected:
    void SetUp() override
    {
        eventLog.clear();
        FakeHost::reset();
    }
    intptr_t call(AudioEffect &fx, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void *ptr = nullptr, float opt = 0.0f)
    {
        testing::internal::CaptureStdout();
        intptr_t result = hostDispatch(fx.getAeffect(), opcode, index, value, ptr, opt);
        testing::internal::GetCapturedStdout();
        return result;
    }
};

TEST_F(Dispatch, ProgramIsStoredOnlyWithinProgramCount)
{
    DefaultEffect fx(nullptr, 3, 2);
    call(fx, effSetProgram, 0, 2);
    EXPECT_EQ(call(fx, effGetProgram), 2);
    call(fx, effSetProgram, 0, 3);
    call(fx, effSetProgram, 0, 100);
    EXPECT_EQ(call(fx, effGetProgram), 2);
    call(fx, effSetProgram, 0, 0);
    EXPECT_EQ(call(fx, effGetProgram), 0);
}

TEST_F(Dispatch, SampleRateFromOptAndBlockSizeFromValue)
{
    DefaultEffect fx(nullptr);
    call(fx, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    call(fx, effSetBlockSize, 0, 256);
    EXPECT_EQ(fx.getSampleRate(), 48000.0f);
    EXPECT_EQ(fx.getBlockSize(), 256);
}

TEST_F(Dispatch, MainsChangedResumesOnAnyNonZeroValue)
{
    ProbeEffect fx(&FakeHost::callback);
    call(fx, effOpen);
    call(fx, effMainsChanged, 0, 5);
    call(fx, effMainsChanged, 0, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fx.dispatcher(effClose, 0, 0, nullptr, 0.0f), 0); // not the entry: no destruction
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(eventLog, (std::vector<std::string>{"open", "resume", "suspend", "close"}));
    EXPECT_TRUE(FakeHost::calls.empty()); // default canDo: resume asks nothing
}

TEST_F(Dispatch, BaseTextDefaultsWriteEmptyStrings)
{
    DefaultEffect fx(nullptr);
    for (int32_t op : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[32];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(call(fx, op, 1, 0, text), 0);
        EXPECT_EQ(text[0], '\0') << op;
    }
    for (int32_t op :
         {effGetEffectName, effGetVendorString, effGetProductString, effShellGetNextPlugin}) {
        char text[64];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(call(fx, op, 0, 0, text), 0);
        EXPECT_EQ(text[0], 'x') << op;
    }
}

TEST_F(Dispatch, ExtendedDefaults)
{
    DefaultEffect fx(nullptr);
    EXPECT_EQ(call(fx, effCanDo, 0, 0, const_cast<char *>("receiveVstMidiEvent")), 0);
    EXPECT_EQ(call(fx, effCanDo, 0, 0, const_cast<char *>("sendVstEvents")), 0);
    EXPECT_EQ(call(fx, effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(call(fx, effCanBeAutomated, 1), 1);
    EXPECT_EQ(call(fx, effGetPlugCategory), kPlugCategUnknown);

    VstSpeakerArrangement *in = reinterpret_cast<VstSpeakerArrangement *>(&fx);
    VstSpeakerArrangement *out = in;
    EXPECT_EQ(call(fx, effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(Dispatch, SynthFlagMakesCategorySynthAndResumeWantEvents)
{
    ProbeEffect fx(&FakeHost::callback);
    fx.setFlag(effFlagsIsSynth, true);
    EXPECT_EQ(call(fx, effGetPlugCategory), kPlugCategSynth);
    call(fx, effMainsChanged, 0, 1);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    EXPECT_EQ(FakeHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(FakeHost::calls[0].value, 1);
}

TEST_F(Dispatch, ResumeWantsEventsOnlyWhenCanDoAnswersExactlyOne)
{
    ProbeEffect fx(&FakeHost::callback);
    fx.canDoMidi = -1;
    call(fx, effMainsChanged, 0, 1);
    fx.canDoMidi = 2;
    call(fx, effMainsChanged, 0, 1);
    EXPECT_TRUE(FakeHost::calls.empty());
    fx.canDoMidi = 1;
    call(fx, effMainsChanged, 0, 1);
    ASSERT_EQ(FakeHost::calls.size(), 1u);
    EXPECT_EQ(FakeHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(FakeHost::calls[0].index, 0);
    EXPECT_EQ(FakeHost::calls[0].value, 1);
    EXPECT_EQ(call(fx, effCanDo, 0, 0, const_cast<char *>("receiveVstMidiEvent")), 1);
}

TEST_F(Dispatch, TextAndChunkOpcodesReachOverrides)
{
    ProbeEffect fx(nullptr);
    char text[64] = {};
    EXPECT_EQ(call(fx, effGetEffectName, 0, 0, text), 1);
    EXPECT_EQ(text[0], 'P');
    EXPECT_EQ(call(fx, effGetProgramNameIndexed, 2, 0, text), 1);
    EXPECT_EQ(call(fx, effGetParamName, 1, 0, text), 0);

    void *data = nullptr;
    EXPECT_EQ(call(fx, effGetChunk, 1, 0, &data), 16);
    EXPECT_EQ(data, fx.chunk);
    char blob[8] = "abcdefg";
    EXPECT_EQ(call(fx, effSetChunk, 0, 8, blob), 8);
    EXPECT_EQ(fx.lastChunkSize, 8);
    EXPECT_EQ(fx.nullCalls, 0);
}

TEST_F(Dispatch, EditorOpcodesWithoutEditorAnswerZero)
{
    DefaultEffect fx(nullptr);
    ERect *rect = reinterpret_cast<ERect *>(&fx);
    int parent = 0;
    EXPECT_EQ(call(fx, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect *>(&fx));
    EXPECT_EQ(call(fx, effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(call(fx, effEditClose), 0);
    EXPECT_EQ(call(fx, effEditIdle), 0);
    EXPECT_EQ(call(fx, effEditKeyDown, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(call(fx, effEditKeyUp, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(call(fx, effSetEditKnobMode, 0, 2), 0);
}

TEST_F(Dispatch, BaseEditorStoresNullRectAndTracksParent)
{
    DefaultEffect fx(nullptr);
    AEffEditor *editor = new AEffEditor(&fx);
    fx.setEditor(editor);
    ERect *rect = reinterpret_cast<ERect *>(&fx);
    EXPECT_EQ(call(fx, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);

    int parent = 0;
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(call(fx, effEditOpen, 0, 0, &parent), 0);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(call(fx, effEditIdle), 0);
    EXPECT_EQ(call(fx, effEditKeyDown, 'a', 1), 0);
    EXPECT_EQ(call(fx, effSetEditKnobMode, 0, 2), 0);
    EXPECT_EQ(call(fx, effEditClose), 0);
    EXPECT_FALSE(editor->isOpen());

    VstKeyCode key{};
    EXPECT_FALSE(editor->keyUp(key));
    EXPECT_FALSE(editor->wheel(1.0f));
}

TEST_F(Dispatch, EditorOpcodesReachOverriddenEditor)
{
    DefaultEffect fx(nullptr);
    ProbeEditor *editor = new ProbeEditor(&fx);
    fx.setEditor(editor);

    ERect *rect = nullptr;
    EXPECT_EQ(call(fx, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_EQ(rect, &editor->rect);
    EXPECT_EQ(rect->bottom, 236);
    EXPECT_EQ(rect->right, 200);

    int parent = 0;
    EXPECT_EQ(call(fx, effEditOpen, 0, 0, &parent), 1);
    call(fx, effEditIdle);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(call(fx, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);

    EXPECT_EQ(call(fx, effEditKeyDown, 'q', 0x1234, nullptr, 3.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.virt, 0x34);
    EXPECT_EQ(editor->lastKey.modifier, 3);
    EXPECT_EQ(call(fx, effEditKeyUp, 'r', 0x0102, nullptr, 258.0f), 0);
    EXPECT_EQ(editor->keyUps, 1);
    EXPECT_EQ(editor->lastKey.character, 'r');
    EXPECT_EQ(editor->lastKey.virt, 0x02);
    EXPECT_EQ(editor->lastKey.modifier, 0x02);
}

} // namespace
