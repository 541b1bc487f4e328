// Trace lines the two dispatchers print when switched on, and which dispatcher
// answers which opcode.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "probe_effect.h"

namespace {

const std::string kTail =
    " VST_FORCE_DEPRECATED VST_2_1_EXTENSIONS VST_2_3_EXTENSIONS VST_2_4_EXTENSIONS)\n";

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// Name between the quotes of a trace line.
std::string quotedName(const std::string &line)
{
    size_t a = line.find('\'');
    size_t b = line.find('\'', a + 1);
    return a == std::string::npos || b == std::string::npos ? "" : line.substr(a + 1, b - a - 1);
}

class DispatcherTrace : public testing::Test {
protected:
    ScopedEnv trace{"VEMO_TRACE", "1"}; // before the effect: read when it is created
    DefaultEffect fx{nullptr};
    AEffect *e = fx.getAeffect();
};

TEST(DispatcherTraceSwitch, OffUnlessTheEnvironmentSaysOneWhenTheEffectIsCreated)
{
    struct Case {
        const char *value; // null: not set
        bool traced;
    };
    for (const Case c : {Case{nullptr, false}, Case{"", false}, Case{"0", false},
                         Case{"yes", false}, Case{"11", false}, Case{"1", true}}) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        ScopedEnv env("VEMO_TRACE", c.value);
        DefaultEffect fx(nullptr);
        testing::internal::CaptureStdout();
        hostDispatch(fx.getAeffect(), effGetProgram);
        hostDispatch(fx.getAeffect(), effGetVstVersion);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(lines(out).size(), c.traced ? 4u : 0u) << out;
    }
    // The switch is read once per effect: later changes do not reach it.
    std::unique_ptr<DefaultEffect> quiet, loud;
    {
        ScopedEnv env("VEMO_TRACE", nullptr);
        quiet = std::make_unique<DefaultEffect>(nullptr);
    }
    {
        ScopedEnv env("VEMO_TRACE", "1");
        loud = std::make_unique<DefaultEffect>(nullptr);
    }
    {
        ScopedEnv env("VEMO_TRACE", "1");
        testing::internal::CaptureStdout();
        hostDispatch(quiet->getAeffect(), effGetVstVersion);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
    {
        ScopedEnv env("VEMO_TRACE", nullptr);
        testing::internal::CaptureStdout();
        hostDispatch(loud->getAeffect(), effGetVstVersion);
        EXPECT_EQ(lines(testing::internal::GetCapturedStdout()).size(), 1u);
    }
}

TEST_F(DispatcherTrace, PassedDownOpcodePrintsExtendedThenBaseLine)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(e, effOpen), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AudioEffectX::dispatcher opcode=0 'UNKNOWN' index=0 value=0 ptr=0 opt=0.000000 (" +
                  kTail +
                  "AudioEffect::dispatcher opcode=0 'effOpen' index=0 value=0 ptr=0 "
                  "opt=0.000000 (" +
                  kTail);
}

TEST_F(DispatcherTrace, ArgumentsPrintedAsIntegersAndOptAsDouble)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(e, effGetVu, 7, -3, reinterpret_cast<void *>(0x1234), 0.5f), 0);
    const std::string args = " index=7 value=-3 ptr=4660 opt=0.500000 (" + kTail;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AudioEffectX::dispatcher opcode=9 'UNKNOWN'" + args +
                  "AudioEffect::dispatcher opcode=9 'UNKNOWN'" + args);
}

TEST_F(DispatcherTrace, ExtendedOpcodePrintsOneLine)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(e, effGetVstVersion, 0, 0, nullptr, 44100.0f), 2400);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AudioEffectX::dispatcher opcode=58 'effGetVstVersion' index=0 value=0 ptr=0 "
              "opt=44100.000000 (" +
                  kTail);
}

TEST_F(DispatcherTrace, GetProgramAddsDispatchLine)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(e, effGetProgram), 0);
    std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(quotedName(out[0]), "UNKNOWN");
    EXPECT_EQ(quotedName(out[1]), "effGetProgram");
    EXPECT_EQ(out[2], "DISPATCH effGetProgram");
}

// Every opcode with its names in the extended and (when passed down) base table,
// and the default answer for index 0, value 0 and a scratch buffer.
struct OpcodeCase {
    int32_t opcode;
    const char *extendedName;
    const char *baseName; // null: answered by the extended dispatcher alone
    intptr_t expected;
};

const char *const U = "UNKNOWN";

const OpcodeCase kCases[] = {
    {0, U, "effOpen", 0},
    {2, U, "effSetProgram", 0},
    {3, U, "effGetProgram", 0},
    {4, U, "effSetProgramName", 0},
    {5, U, "effGetProgramName", 0},
    {6, U, "effGetParamLabel", 0},
    {7, U, "effGetParamDisplay", 0},
    {8, U, "effGetParamName", 0},
    {9, U, U, 0},
    {10, U, "effSetSampleRate", 0},
    {11, U, "effSetBlockSize", 0},
    {12, U, "effMainsChanged", 0},
    {13, U, "effEditGetRect", 0},
    {14, U, "effEditOpen", 0},
    {15, U, "effEditClose", 0},
    {16, U, U, 0},
    {17, U, U, 0},
    {18, U, U, 0},
    {19, U, "effEditIdle", 0},
    {20, U, U, 0},
    {21, U, U, 0},
    {22, U, "effIdentify", 0x4E764566},
    {23, U, "effGetChunk", 0},
    {24, U, "effSetChunk", 0},
    {25, "effProcessEvents", nullptr, 0},
    {26, "effCanBeAutomated", nullptr, 1},
    {27, "effString2Parameter", nullptr, 0},
    {28, U, U, 0},
    {29, "effGetProgramNameIndexed", nullptr, 0},
    {30, U, U, 0},
    {31, U, U, 0},
    {32, U, U, 0},
    {33, "effGetInputProperties", nullptr, 0},
    {34, "effGetOutputProperties", nullptr, 0},
    {35, "effGetPlugCategory", nullptr, 0},
    {36, U, U, 0},
    {37, U, U, 0},
    {38, "effOfflineNotify", nullptr, 0},
    {39, "effOfflinePrepare", nullptr, 0},
    {40, "effOfflineRun", nullptr, 0},
    {41, "effProcessVarIo", nullptr, 0},
    {42, "effSetSpeakerArrangement", nullptr, 0},
    {43, U, U, 0},
    {44, "effSetBypass", nullptr, 0},
    {45, "effGetEffectName", nullptr, 0},
    {46, U, U, 0},
    {47, "effGetVendorString", nullptr, 0},
    {48, "effGetProductString", nullptr, 0},
    {49, "effGetVendorVersion", nullptr, 0},
    {50, "effVendorSpecific", nullptr, 0},
    {51, "effCanDo", nullptr, 0},
    {52, "effGetTailSize", nullptr, 0},
    {53, U, U, 0},
    {54, U, U, 0},
    {55, U, U, 0},
    {56, "effGetParameterProperties", nullptr, 0},
    {57, U, U, 0},
    {58, "effGetVstVersion", nullptr, 2400},
    {59, "effEditKeyDown", nullptr, 0},
    {60, "effEditKeyUp", nullptr, 0},
    {61, "effSetEditKnobMode", nullptr, 0},
    {62, "effGetMidiProgramName", nullptr, 0},
    {63, "effGetCurrentMidiProgram", nullptr, -1},
    {64, "effGetMidiProgramCategory", nullptr, 0},
    {65, "effHasMidiProgramsChanged", nullptr, 0},
    {66, "effGetMidiKeyName", nullptr, 0},
    {67, "effBeginSetProgram", nullptr, 0},
    {68, "effEndSetProgram", nullptr, 0},
    {69, "effGetSpeakerArrangement", nullptr, 0},
    {70, "effShellGetNextPlugin", nullptr, 0},
    {71, "effStartProcess", nullptr, 0},
    {72, "effStopProcess", nullptr, 0},
    {73, "effSetTotalSampleToProcess", nullptr, 0},
    {74, "effSetPanLaw", nullptr, 0},
    {75, "effBeginLoadBank", nullptr, 0},
    {76, "effBeginLoadProgram", nullptr, 0},
    {77, "effSetProcessPrecision", nullptr, 0},
    {78, "effGetNumMidiInputChannels", nullptr, 0},
    {79, "effGetNumMidiOutputChannels", nullptr, 0},
    {80, U, U, 0},
    {-1, U, U, 0},
    {INT32_MAX, U, U, 0},
};

TEST_F(DispatcherTrace, EveryOpcodeNamedAndAnsweredByTheRightTable)
{
    for (const OpcodeCase &c : kCases) {
        SCOPED_TRACE(c.opcode);
        alignas(void *) char scratch[256] = {};
        testing::internal::CaptureStdout();
        intptr_t result = hostDispatch(e, c.opcode, 0, 0, scratch, 0.0f);
        std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());

        EXPECT_EQ(result, c.expected);
        ASSERT_GE(out.size(), 1u);
        EXPECT_EQ(
            out[0].rfind("AudioEffectX::dispatcher opcode=" + std::to_string(c.opcode) + " ", 0),
            0u);
        EXPECT_EQ(quotedName(out[0]), c.extendedName);
        if (c.baseName) {
            ASSERT_GE(out.size(), 2u);
            EXPECT_EQ(out[1].rfind("AudioEffect::dispatcher opcode=", 0), 0u);
            EXPECT_EQ(quotedName(out[1]), c.baseName);
        }
        size_t expectedLines = c.baseName ? 2 : 1;
        if (c.opcode == effGetProgram)
            ++expectedLines;
        EXPECT_EQ(out.size(), expectedLines);
    }
}

TEST_F(DispatcherTrace, CloseThroughRecordPrintsBothLines)
{
    DefaultEffect *other = new DefaultEffect(nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(hostDispatch(other->getAeffect(), effClose), 1);
    std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(quotedName(out[0]), "UNKNOWN");
    EXPECT_EQ(quotedName(out[1]), "effClose");
}

TEST_F(DispatcherTrace, ProcessingEntriesPrintNothing)
{
    float in0[4] = {1, 2, 3, 4}, out0[4], out1[4];
    float *ins[] = {in0};
    float *outs[] = {out0, out1};
    testing::internal::CaptureStdout();
    e->processReplacing(e, ins, outs, 4);
    e->process(e, ins, outs, 4);
    e->setParameter(e, 0, 0.5f);
    e->getParameter(e, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

} // namespace
