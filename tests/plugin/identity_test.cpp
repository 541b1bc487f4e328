// What the host reads from the plug-in: record, identity, names and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/ZR_Application.h"
#include "app/ZR_maker.h"
#include "plugin_host.h"
#include "support/scoped_env.h"
#include "vst/ZR_Main_Vst.h"

namespace {

ZR_Application &application(AEffect *e)
{
    return static_cast<ZR_Main_Vst *>(static_cast<AudioEffect *>(e->object))->application();
}

const std::string kTail =
    " VST_FORCE_DEPRECATED VST_2_1_EXTENSIONS VST_2_3_EXTENSIONS VST_2_4_EXTENSIONS)\n";

TEST(PluginIdentity, RecordDescribesOneInTwoOutEffectWithoutEditor)
{
    Plugin p;
    AEffect *e = p.e;
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 2);
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->uniqueID, 0x66353534);
    EXPECT_EQ(e->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(e->flags & effFlagsProgramChunks, 0);
    EXPECT_NE(e->flags & effFlagsCanReplacing, 0);
    EXPECT_EQ(p.dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(p.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(p.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(p.dispatch(effCanDo, 0, 0, (void *)"receiveVstMidiEvent"), 0);
    ERect *rect = reinterpret_cast<ERect *>(0x1);
    EXPECT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 0);
}

TEST(PluginIdentity, ConstructorAsksHostToSizeTheEditor)
{
    TestHost::size_window_calls = 0;
    Plugin p;
    EXPECT_EQ(TestHost::size_window_calls, 1);
    EXPECT_EQ(application(p.e).editor_width, 200);
    EXPECT_EQ(application(p.e).editor_height, 236);
}

TEST(PluginIdentity, NamesAreBoundedToTheHostBuffers)
{
    Plugin p;
    const std::string address = ZR_MAKER_ADDRESS;
    EXPECT_EQ(address, "https://vemo-audio.org");
    EXPECT_EQ(p.text(effGetEffectName, 0, kVstMaxEffectNameLen), "6-th order Butterworth low-pass");
    EXPECT_EQ(p.text(effGetVendorString, 0, kVstMaxVendorStrLen), address);
    EXPECT_EQ(p.text(effGetProductString, 0, kVstMaxProductStrLen),
              address + " 6-th order Butterworth low-pass");
    EXPECT_EQ(p.dispatch(effGetEffectName, 0, 0, nullptr), 0);

    char small[10];
    ZR_product_string(small, sizeof small);
    EXPECT_STREQ(small, "https://v");
}

TEST(PluginIdentity, ProgramNameIsAlwaysTheDefault)
{
    Plugin p;
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), "Default program");
    char name[] = "My own settings";
    p.dispatch(effSetProgramName, 0, 0, name);
    p.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), "Default program");
    EXPECT_EQ(p.dispatch(effGetProgram), 0);
    char indexed[kVstMaxProgNameLen] = {};
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 0, 0, indexed), 1);
    EXPECT_STREQ(indexed, "Default program");
}

TEST(PluginIdentity, ParameterTextsAfterConstruction)
{
    Plugin p;
    EXPECT_EQ(p.text(effGetParamName, 0), "State");
    EXPECT_EQ(p.text(effGetParamName, 1), "Frequen");
    EXPECT_EQ(p.text(effGetParamDisplay, 0), "On");
    EXPECT_EQ(p.text(effGetParamLabel, 0), "On/Off");
    EXPECT_EQ(p.text(effGetParamDisplay, 1), "283"); // the shown cutoff
    EXPECT_EQ(p.text(effGetParamLabel, 1), "Hz");
    EXPECT_FLOAT_EQ(p.get(1), (1500.0f - 20.0f) / 8313.0f);
    EXPECT_EQ(p.get(0), 1.0f);
    EXPECT_STREQ(application(p.e).frequency_text, "283 Hz");
}

TEST(PluginIdentity, TextsAreZeroFilledToEightBytes)
{
    Plugin p;
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    p.dispatch(effGetParamLabel, 1, 0, buffer);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(buffer[i], '\0') << i;
    EXPECT_EQ(buffer[8], 'x');
}

TEST(PluginIdentity, TextsStayInsideTheHostsBuffers)
{
    // Each text call gets a buffer of the size hosts allocate, followed by
    // guard bytes that must survive; the text ends inside the buffer.
    Plugin p;
    p.start(44100.0f);
    struct Call {
        int32_t op, index;
        size_t size;
    };
    const Call calls[] = {
        {effGetParamName, 0, kVstMaxParamStrLen},
        {effGetParamName, 1, kVstMaxParamStrLen},
        {effGetParamLabel, 0, kVstMaxParamStrLen},
        {effGetParamLabel, 1, kVstMaxParamStrLen},
        {effGetParamDisplay, 0, kVstMaxParamStrLen},
        {effGetParamDisplay, 1, kVstMaxParamStrLen},
        {effGetParamName, -1, kVstMaxParamStrLen},
        {effGetParamDisplay, 2, kVstMaxParamStrLen},
        {effGetEffectName, 0, kVstMaxEffectNameLen},
        {effGetVendorString, 0, kVstMaxVendorStrLen},
        {effGetProductString, 0, kVstMaxProductStrLen},
        {effGetProgramName, 0, kVstMaxProgNameLen},
        {effGetProgramNameIndexed, 0, kVstMaxProgNameLen},
    };
    for (float frequency : {0.0f, 0.37f, 1.0f}) {
        p.set(1, frequency);
        for (const Call &c : calls) {
            char buffer[128];
            std::memset(buffer, 0x5a, sizeof buffer);
            p.dispatch(c.op, c.index, 0, buffer);
            EXPECT_NE(std::memchr(buffer, 0, c.size), nullptr) << c.op << " " << c.index;
            for (size_t i = c.size; i < sizeof buffer; ++i)
                ASSERT_EQ(buffer[i], 0x5a)
                    << "opcode " << c.op << " index " << c.index << " byte " << i;
        }
    }
    // Programs that do not exist: nothing written, nothing answered.
    char name[kVstMaxProgNameLen];
    std::memset(name, 0x5a, sizeof name);
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 5, 0, name), 0);
    EXPECT_EQ(name[0], 0x5a);
    for (const char *what : {"receiveVstEvents", "sendVstEvents", "bypass", "", "x"})
        EXPECT_EQ(p.dispatch(effCanDo, 0, 0, (void *)what), 0) << what;
    EXPECT_EQ(p.dispatch(effGetTailSize), 0);
}

TEST(PluginParameters, StateSwitchesAtOneHalf)
{
    Plugin p;
    p.set(0, 0.0f);
    EXPECT_EQ(p.get(0), 0.0f);
    EXPECT_EQ(p.text(effGetParamDisplay, 0), "Off");
    EXPECT_EQ(p.text(effGetParamLabel, 0), "On/Off");
    p.set(0, 0.51f);
    EXPECT_EQ(p.text(effGetParamDisplay, 0), "On");
    p.set(0, 0.5f);
    EXPECT_EQ(p.get(0), 0.0f);
    p.set(0, 0.51f);
    EXPECT_EQ(p.get(0), 1.0f);
}

TEST(PluginParameters, FrequencyEndsOfTheKnob)
{
    Plugin p;
    ZR_Application &app = application(p.e);
    p.set(1, 1.0f);
    EXPECT_EQ(p.get(1), 1.0f);
    EXPECT_STREQ(app.frequency_text, "8333 Hz");
    EXPECT_EQ(p.text(effGetParamDisplay, 1), "8333");
    p.set(1, 0.0f);
    EXPECT_EQ(p.get(1), 0.0f);
    EXPECT_STREQ(app.frequency_text, "20 Hz");
    EXPECT_EQ(p.text(effGetParamDisplay, 1), "20");
}

TEST(PluginParameters, HostValuesOutsideTheRangeAreClampedAndNaNIgnored)
{
    Plugin p;
    p.set(1, 3.0f);
    EXPECT_EQ(p.get(1), 1.0f);
    p.set(1, -2.0f);
    EXPECT_EQ(p.get(1), 0.0f);
    p.set(1, std::nanf(""));
    EXPECT_EQ(p.get(1), 0.0f);
    p.set(0, -1.0f);
    EXPECT_EQ(p.get(0), 0.0f);
    p.set(0, 7.0f);
    EXPECT_EQ(p.get(0), 1.0f);
    for (int32_t index : {-1, 2, 3, 1000}) {
        p.set(index, 0.25f);
        EXPECT_EQ(p.get(index), 0.0f);
        EXPECT_EQ(p.text(effGetParamName, index), "");
        EXPECT_EQ(p.text(effGetParamDisplay, index), "");
        EXPECT_EQ(p.text(effGetParamLabel, index), "");
    }
}

TEST(PluginParameters, GetParameterShowsANewValueAtOnce)
{
    Plugin p;
    p.start(48000.0f);
    std::vector<float> in(256, 0.25f);
    p.process(in.data(), 256);
    p.set(1, 0.3f);
    EXPECT_FLOAT_EQ(p.get(1), 0.3f);
    p.process(in.data(), 64); // gliding now
    EXPECT_FLOAT_EQ(p.get(1), 0.3f);
}

TEST(PluginTrace, SilentByDefault)
{
    ScopedEnv off("VEMO_TRACE", nullptr);
    Plugin p;
    testing::internal::CaptureStdout();
    p.start(48000.0f);
    p.dispatch(effGetProgram);
    p.dispatch(effEditIdle);
    std::vector<float> in(64, 0.25f);
    p.process(in.data(), 64);
    p.close();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(PluginTrace, DispatcherCallPrintsItsLine)
{
    ScopedEnv on("VEMO_TRACE", "1");
    Plugin p;
    testing::internal::CaptureStdout();
    EXPECT_EQ(p.dispatch(effGetVendorVersion, 3, 4, nullptr, 1.5f), 1000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AudioEffectX::dispatcher opcode=49 'effGetVendorVersion' index=3 value=4 ptr=0 "
              "opt=1.500000 (" +
                  kTail);
}

TEST(PluginTrace, PassedDownOpcodePrintsTwoLines)
{
    ScopedEnv on("VEMO_TRACE", "1");
    Plugin p;
    testing::internal::CaptureStdout();
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AudioEffectX::dispatcher opcode=10 'UNKNOWN' index=0 value=0 ptr=0 "
              "opt=48000.000000 (" +
                  kTail +
                  "AudioEffect::dispatcher opcode=10 'effSetSampleRate' index=0 value=0 ptr=0 "
                  "opt=48000.000000 (" +
                  kTail);
}

TEST(PluginEntry, VersionQueryAnsweredWithZeroCreatesNothing)
{
    TestHost::version_answer = 0;
    EXPECT_EQ(VSTPluginMain(&TestHost::callback), nullptr);
    TestHost::version_answer = 2400;
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
}

TEST(PluginEntry, OldHostVersionStillGetsAnEffect)
{
    TestHost::version_answer = 2;
    AEffect *e = VSTPluginMain(&TestHost::callback);
    TestHost::version_answer = 2400;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
