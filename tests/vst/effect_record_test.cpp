// The AEffect record as a host reads it after construction, and the setters
// that change it.
#include <gtest/gtest.h>

#include "probe_effect.h"

namespace {

TEST(EffectRecord, ConstructorFillsRecordForTheHost)
{
    DefaultEffect *fx = new DefaultEffect(&FakeHost::callback, 4, 7);
    AEffect *e = fx->getAeffect();

    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(e->numPrograms, 4);
    EXPECT_EQ(e->numParams, 7);
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->reserved1, 0);
    EXPECT_EQ(e->reserved2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->object, static_cast<void *>(static_cast<AudioEffect *>(fx)));
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->uniqueID, 0x4E6F4566);
    EXPECT_EQ(e->version, 1);
    for (char c : e->future)
        EXPECT_EQ(c, 0);

    EXPECT_EQ(fx->getSampleRate(), 44100.0f);
    EXPECT_EQ(fx->getBlockSize(), 1024);
    EXPECT_EQ(fx->getProgram(), 0);
    EXPECT_EQ(fx->getEditor(), nullptr);
    EXPECT_EQ(hostDispatch(e, effClose), 1);
}

TEST(EffectRecord, SettersWriteRecordFieldsAndFlags)
{
    DefaultEffect fx(nullptr);
    AEffect *e = fx.getAeffect();

    fx.setUniqueID(0x66353534);
    fx.setNumInputs(3);
    fx.setNumOutputs(5);
    fx.setInitialDelay(64);
    EXPECT_EQ(e->uniqueID, 0x66353534);
    EXPECT_EQ(e->numInputs, 3);
    EXPECT_EQ(e->numOutputs, 5);
    EXPECT_EQ(e->initialDelay, 64);

    fx.canDoubleReplacing(true);
    fx.programsAreChunks(true);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks);
    fx.canProcessReplacing(false);
    fx.programsAreChunks(false);
    EXPECT_EQ(e->flags, effFlagsCanDoubleReplacing);
    fx.canDoubleReplacing(false);
    EXPECT_EQ(e->flags, 0);
}

TEST(EffectRecord, SetEditorTogglesHasEditorFlag)
{
    DefaultEffect fx(nullptr);
    AEffect *e = fx.getAeffect();
    AEffEditor *editor = new AEffEditor(&fx);

    fx.setEditor(editor);
    EXPECT_EQ(fx.getEditor(), editor);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_EQ(editor->getEffect(), &fx);

    fx.setEditor(nullptr);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    fx.setEditor(editor); // the effect deletes it
}

TEST(EffectRecord, IdentifyAnswersFixedCodeWhateverTheUniqueId)
{
    DefaultEffect fx(nullptr);
    AEffect *e = fx.getAeffect();
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(e, effIdentify), 0x4E764566);
    fx.setUniqueID(0x66353534);
    EXPECT_EQ(hostDispatch(e, effIdentify), 0x4E764566);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(e->uniqueID, 0x66353534);
}

} // namespace
