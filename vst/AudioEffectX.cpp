// Extended dispatcher with its trace line, the extended default operations and
// the host-callback wrappers they need.
#include "vst/AudioEffectX.h"

#include <cstdio>

#include "vst/AEffEditor.h"
#include "vst/opcode_names.h"

namespace {

intptr_t truth(bool b)
{
    return b ? 1 : 0;
}

// Key code as hosts send it: character in index, virtual key in value, modifiers in opt.
VstKeyCode makeKeyCode(int32_t index, intptr_t value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<uint8_t>(static_cast<uintptr_t>(value) & 0xFF);
    // Float to int is undefined outside the int range (and for NaN).
    if (opt >= -2147483648.0f && opt < 2147483648.0f)
        key.modifier =
            static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(opt)) & 0xFF);
    return key;
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams)
    : AudioEffect(hostCallback, numPrograms, numParams)
{
}

AudioEffectX::~AudioEffectX() = default;

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void *ptr,
                                  float opt)
{
    if (trace_dispatch)
        std::printf(
            "AudioEffectX::dispatcher opcode=%d '%s' index=%d value=%d ptr=%d opt=%f (%s)\n",
            opcode, extendedOpcodeName(opcode), index, static_cast<int>(value),
            static_cast<int>(reinterpret_cast<intptr_t>(ptr)), static_cast<double>(opt),
            kDispatchTraceTail);

    char *text = static_cast<char *>(ptr);
    const int32_t narrowValue = static_cast<int32_t>(value);
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents *>(ptr));
    case effCanBeAutomated:
        return isParameterIndex(index) && canBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        // A null text asks whether the parameter takes text at all.
        return isParameterIndex(index) && string2Parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
        if (!text || !isProgramIndex(index))
            return 0;
        return truth(getProgramNameIndexed(narrowValue, index, text));
    case effGetInputProperties:
        if (!ptr)
            return 0;
        return truth(getInputProperties(index, static_cast<VstPinProperties *>(ptr)));
    case effGetOutputProperties:
        if (!ptr)
            return 0;
        return truth(getOutputProperties(index, static_cast<VstPinProperties *>(ptr)));
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return truth(offlineNotify(static_cast<VstAudioFile *>(ptr), narrowValue, index != 0));
    case effOfflinePrepare:
        return truth(offlinePrepare(static_cast<VstOfflineTask *>(ptr), narrowValue));
    case effOfflineRun:
        return truth(offlineRun(static_cast<VstOfflineTask *>(ptr), narrowValue));
    case effProcessVarIo:
        return truth(processVarIo(static_cast<VstVariableIo *>(ptr)));
    case effSetSpeakerArrangement:
        return truth(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement *>(value),
                                           static_cast<VstSpeakerArrangement *>(ptr)));
    case effSetBypass:
        return truth(setBypass(value != 0));
    case effGetEffectName:
        return text ? truth(getEffectName(text)) : 0;
    case effGetVendorString:
        return text ? truth(getVendorString(text)) : 0;
    case effGetProductString:
        return text ? truth(getProductString(text)) : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text ? canDo(text) : 0;
    case effGetTailSize:
        return getTailSize();
    case effGetParameterProperties:
        if (!ptr || !isParameterIndex(index))
            return 0;
        return truth(getParameterProperties(index, static_cast<VstParameterProperties *>(ptr)));
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor)
            return 0;
        VstKeyCode key = makeKeyCode(index, value, opt);
        return truth(opcode == effEditKeyDown ? editor->keyDown(key) : editor->keyUp(key));
    }
    case effSetEditKnobMode:
        return editor ? truth(editor->setKnobMode(narrowValue)) : 0;
    case effGetMidiProgramName:
        return ptr ? getMidiProgramName(index, static_cast<MidiProgramName *>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        return ptr ? getCurrentMidiProgram(index, static_cast<MidiProgramName *>(ptr)) : -1;
    case effGetMidiProgramCategory:
        return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory *>(ptr)) : 0;
    case effHasMidiProgramsChanged:
        return truth(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return ptr ? truth(getMidiKeyName(index, static_cast<MidiKeyName *>(ptr))) : 0;
    case effBeginSetProgram:
        return truth(beginSetProgram());
    case effEndSetProgram:
        return truth(endSetProgram());
    case effGetSpeakerArrangement:
        return truth(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement **>(value),
                                           static_cast<VstSpeakerArrangement **>(ptr)));
    case effShellGetNextPlugin:
        return text ? shellGetNextPlugin(text) : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(narrowValue);
    case effSetPanLaw:
        return truth(setPanLaw(narrowValue, opt));
    case effBeginLoadBank:
        return beginLoadBank(static_cast<VstPatchChunkInfo *>(ptr));
    case effBeginLoadProgram:
        return beginLoadProgram(static_cast<VstPatchChunkInfo *>(ptr));
    case effSetProcessPrecision:
        return truth(setProcessPrecision(narrowValue));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    if ((aeffect.flags & effFlagsIsSynth) || canDo("receiveVstMidiEvent") == 1)
        wantEvents(1);
}

bool AudioEffectX::canBeAutomated(int32_t)
{
    return true;
}
bool AudioEffectX::string2Parameter(int32_t, const char *)
{
    return false;
}
bool AudioEffectX::getParameterProperties(int32_t, VstParameterProperties *)
{
    return false;
}
bool AudioEffectX::getProgramNameIndexed(int32_t, int32_t, char *)
{
    return false;
}
bool AudioEffectX::beginSetProgram()
{
    return false;
}
bool AudioEffectX::endSetProgram()
{
    return false;
}
int32_t AudioEffectX::beginLoadBank(VstPatchChunkInfo *)
{
    return 0;
}
int32_t AudioEffectX::beginLoadProgram(VstPatchChunkInfo *)
{
    return 0;
}
bool AudioEffectX::getInputProperties(int32_t, VstPinProperties *)
{
    return false;
}
bool AudioEffectX::getOutputProperties(int32_t, VstPinProperties *)
{
    return false;
}
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement *, VstSpeakerArrangement *)
{
    return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement **input,
                                         VstSpeakerArrangement **output)
{
    if (input)
        *input = nullptr;
    if (output)
        *output = nullptr;
    return false;
}

bool AudioEffectX::setBypass(bool)
{
    return false;
}
bool AudioEffectX::setPanLaw(int32_t, float)
{
    return false;
}
bool AudioEffectX::setProcessPrecision(int32_t)
{
    return false;
}
int32_t AudioEffectX::getNumMidiInputChannels()
{
    return 0;
}
int32_t AudioEffectX::getNumMidiOutputChannels()
{
    return 0;
}
int32_t AudioEffectX::processEvents(VstEvents *)
{
    return 0;
}
int32_t AudioEffectX::startProcess()
{
    return 0;
}
int32_t AudioEffectX::stopProcess()
{
    return 0;
}
bool AudioEffectX::processVarIo(VstVariableIo *)
{
    return false;
}
int32_t AudioEffectX::setTotalSampleToProcess(int32_t value)
{
    return value;
}
int32_t AudioEffectX::getTailSize()
{
    return 0;
}
bool AudioEffectX::getEffectName(char *)
{
    return false;
}
bool AudioEffectX::getVendorString(char *)
{
    return false;
}
bool AudioEffectX::getProductString(char *)
{
    return false;
}
int32_t AudioEffectX::getVendorVersion()
{
    return 0;
}
intptr_t AudioEffectX::vendorSpecific(int32_t, intptr_t, void *, float)
{
    return 0;
}
int32_t AudioEffectX::canDo(const char *)
{
    return 0;
}
int32_t AudioEffectX::getVstVersion()
{
    return 2400;
}

int32_t AudioEffectX::getPlugCategory()
{
    return (aeffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

int32_t AudioEffectX::getMidiProgramName(int32_t, MidiProgramName *)
{
    return 0;
}
int32_t AudioEffectX::getCurrentMidiProgram(int32_t, MidiProgramName *)
{
    return -1;
}
int32_t AudioEffectX::getMidiProgramCategory(int32_t, MidiProgramCategory *)
{
    return 0;
}
bool AudioEffectX::hasMidiProgramsChanged(int32_t)
{
    return false;
}
bool AudioEffectX::getMidiKeyName(int32_t, MidiKeyName *)
{
    return false;
}

bool AudioEffectX::sizeWindow(int32_t width, int32_t height)
{
    if (!hostCallback)
        return false;
    return hostCallback(&aeffect, audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

int32_t AudioEffectX::shellGetNextPlugin(char *)
{
    return 0;
}
bool AudioEffectX::offlineNotify(VstAudioFile *, int32_t, bool)
{
    return false;
}
bool AudioEffectX::offlinePrepare(VstOfflineTask *, int32_t)
{
    return false;
}
bool AudioEffectX::offlineRun(VstOfflineTask *, int32_t)
{
    return false;
}

intptr_t AudioEffectX::wantEvents(int32_t filter)
{
    if (!hostCallback)
        return 0;
    return hostCallback(&aeffect, audioMasterWantMidi, 0, filter, nullptr, 0.0f);
}
