// Opcode name tables of the two dispatchers and the trace switch.
#include "vst/opcode_names.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

const char *const kUnknown = "UNKNOWN";

// Indexed by opcode; null entries are not in that dispatcher's table.
const char *const kBaseNames[] = {
    "effOpen",
    "effClose",
    "effSetProgram",
    "effGetProgram",
    "effSetProgramName",
    "effGetProgramName",
    "effGetParamLabel",
    "effGetParamDisplay",
    "effGetParamName",
    nullptr,
    "effSetSampleRate",
    "effSetBlockSize",
    "effMainsChanged",
    "effEditGetRect",
    "effEditOpen",
    "effEditClose",
    nullptr,
    nullptr,
    nullptr,
    "effEditIdle",
    nullptr,
    nullptr,
    "effIdentify",
    "effGetChunk",
    "effSetChunk",
};

const int32_t kExtendedFirst = 25;
const char *const kExtendedNames[] = {
    "effProcessEvents",            // 25
    "effCanBeAutomated",           // 26
    "effString2Parameter",         // 27
    nullptr,                       // 28
    "effGetProgramNameIndexed",    // 29
    nullptr,                       // 30
    nullptr,                       // 31
    nullptr,                       // 32
    "effGetInputProperties",       // 33
    "effGetOutputProperties",      // 34
    "effGetPlugCategory",          // 35
    nullptr,                       // 36
    nullptr,                       // 37
    "effOfflineNotify",            // 38
    "effOfflinePrepare",           // 39
    "effOfflineRun",               // 40
    "effProcessVarIo",             // 41
    "effSetSpeakerArrangement",    // 42
    nullptr,                       // 43
    "effSetBypass",                // 44
    "effGetEffectName",            // 45
    nullptr,                       // 46
    "effGetVendorString",          // 47
    "effGetProductString",         // 48
    "effGetVendorVersion",         // 49
    "effVendorSpecific",           // 50
    "effCanDo",                    // 51
    "effGetTailSize",              // 52
    nullptr,                       // 53
    nullptr,                       // 54
    nullptr,                       // 55
    "effGetParameterProperties",   // 56
    nullptr,                       // 57
    "effGetVstVersion",            // 58
    "effEditKeyDown",              // 59
    "effEditKeyUp",                // 60
    "effSetEditKnobMode",          // 61
    "effGetMidiProgramName",       // 62
    "effGetCurrentMidiProgram",    // 63
    "effGetMidiProgramCategory",   // 64
    "effHasMidiProgramsChanged",   // 65
    "effGetMidiKeyName",           // 66
    "effBeginSetProgram",          // 67
    "effEndSetProgram",            // 68
    "effGetSpeakerArrangement",    // 69
    "effShellGetNextPlugin",       // 70
    "effStartProcess",             // 71
    "effStopProcess",              // 72
    "effSetTotalSampleToProcess",  // 73
    "effSetPanLaw",                // 74
    "effBeginLoadBank",            // 75
    "effBeginLoadProgram",         // 76
    "effSetProcessPrecision",      // 77
    "effGetNumMidiInputChannels",  // 78
    "effGetNumMidiOutputChannels", // 79
};

template <size_t N>
const char *lookup(const char *const (&table)[N], int32_t slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= N || table[slot] == nullptr)
        return kUnknown;
    return table[slot];
}

} // namespace

const char *const kDispatchTraceTail =
    " VST_FORCE_DEPRECATED VST_2_1_EXTENSIONS VST_2_3_EXTENSIONS VST_2_4_EXTENSIONS";

const char *baseOpcodeName(int32_t opcode)
{
    return lookup(kBaseNames, opcode);
}

const char *extendedOpcodeName(int32_t opcode)
{
    if (opcode < kExtendedFirst)
        return kUnknown;
    return lookup(kExtendedNames, opcode - kExtendedFirst);
}

bool dispatch_trace_wanted()
{
    const char *v = std::getenv("VEMO_TRACE");
    return v && std::strcmp(v, "1") == 0;
}
