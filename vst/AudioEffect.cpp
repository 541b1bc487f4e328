// Base effect: record set-up, the entry points placed in the record, the base
// dispatcher with its trace line, and the default operations.
#include "vst/AudioEffect.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "vst/AEffEditor.h"
#include "vst/opcode_names.h"

namespace {

constexpr int32_t kNoEffectId = vstFourCC('N', 'o', 'E', 'f');
constexpr intptr_t kIdentifyAnswer = vstFourCC('N', 'v', 'E', 'f');

bool fitsInt32(intptr_t v)
{
#if INTPTR_MAX > INT32_MAX
    return v >= INT32_MIN && v <= INT32_MAX;
#else
    (void)v;
    return true;
#endif
}

template <typename Sample>
bool channels_present(Sample **channels, int32_t count)
{
    if (count <= 0)
        return true;
    if (!channels)
        return false;
    for (int32_t c = 0; c < count; ++c)
        if (!channels[c])
            return false;
    return true;
}

// A block the callee can walk: non-negative length, every announced channel present.
template <typename Sample>
bool blockUsable(const AEffect &e, Sample **inputs, Sample **outputs, int32_t frames)
{
    return frames >= 0 && channels_present(inputs, e.numInputs) &&
           channels_present(outputs, e.numOutputs);
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams)
    : hostCallback(hostCallback), editor(nullptr), sampleRate(44100.0f), blockSize(1024),
      numPrograms(numPrograms), numParams(numParams), curProgram(0),
      trace_dispatch(dispatch_trace_wanted())
{
    std::memset(&aeffect, 0, sizeof aeffect);
    aeffect.magic = kEffectMagic;
    aeffect.dispatcher = &AudioEffect::dispatchEntry;
    aeffect.process = &AudioEffect::processEntry;
    aeffect.setParameter = &AudioEffect::setParameterEntry;
    aeffect.getParameter = &AudioEffect::getParameterEntry;
    aeffect.numPrograms = numPrograms;
    aeffect.numParams = numParams;
    aeffect.numInputs = 1;
    aeffect.numOutputs = 2;
    aeffect.ioRatio = 1.0f;
    aeffect.object = this;
    aeffect.uniqueID = kNoEffectId;
    aeffect.version = 1;
    aeffect.processReplacing = &AudioEffect::processReplacingEntry;
    aeffect.processDoubleReplacing = &AudioEffect::processDoubleReplacingEntry;
    canProcessReplacing(true);
}

AudioEffect::~AudioEffect()
{
    delete editor;
    editor = nullptr;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void *ptr,
                                 float opt)
{
    if (trace_dispatch)
        std::printf("AudioEffect::dispatcher opcode=%d '%s' index=%d value=%d ptr=%d opt=%f (%s)\n",
                    opcode, baseOpcodeName(opcode), index, static_cast<int>(value),
                    static_cast<int>(reinterpret_cast<intptr_t>(ptr)), static_cast<double>(opt),
                    kDispatchTraceTail);

    char *text = static_cast<char *>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (isProgramIndex(value))
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        if (trace_dispatch)
            std::printf("DISPATCH effGetProgram\n");
        return getProgram();
    case effSetProgramName:
        if (text)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        if (!text)
            return 0;
        if (!isParameterIndex(index)) {
            text[0] = '\0';
            return 0;
        }
        if (opcode == effGetParamLabel)
            getParamLabel(index, text);
        else if (opcode == effGetParamDisplay)
            getParamDisplay(index, text);
        else
            getParamName(index, text);
        return 0;
    case effSetSampleRate:
        // Coefficients divide by the rate, and derived classes truncate it to an integer.
        if (opt >= 1.0f && opt < 2147483648.0f)
            setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        if (value > 0 && fitsInt32(value))
            setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor && ptr)
            return editor->getRect(static_cast<ERect **>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        // A null parent cannot take a child window.
        if (editor && ptr)
            return editor->open(ptr) ? 1 : 0;
        return 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        if (!ptr)
            return 0;
        return getChunk(static_cast<void **>(ptr), index != 0);
    case effSetChunk:
        if (!ptr || value < 0 || !fitsInt32(value))
            return 0;
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::open() {}
void AudioEffect::close() {}
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

void AudioEffect::setSampleRate(float rate)
{
    sampleRate = rate;
}
void AudioEffect::setBlockSize(int32_t size)
{
    blockSize = size;
}

void AudioEffect::processDoubleReplacing(double **, double **, int32_t) {}

void AudioEffect::setParameter(int32_t, float) {}
float AudioEffect::getParameter(int32_t)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(int32_t index, float value)
{
    setParameter(index, value);
    if (hostCallback)
        hostCallback(&aeffect, audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getProgram()
{
    return curProgram;
}
void AudioEffect::setProgram(int32_t program)
{
    curProgram = program;
}
void AudioEffect::setProgramName(const char *) {}

void AudioEffect::getProgramName(char *name)
{
    if (name)
        name[0] = '\0';
}
void AudioEffect::getParamLabel(int32_t, char *label)
{
    if (label)
        label[0] = '\0';
}
void AudioEffect::getParamDisplay(int32_t, char *text)
{
    if (text)
        text[0] = '\0';
}
void AudioEffect::getParamName(int32_t, char *text)
{
    if (text)
        text[0] = '\0';
}

int32_t AudioEffect::getChunk(void **, bool)
{
    return 0;
}
int32_t AudioEffect::setChunk(void *, int32_t, bool)
{
    return 0;
}

void AudioEffect::setUniqueID(int32_t id)
{
    aeffect.uniqueID = id;
}
void AudioEffect::setNumInputs(int32_t count)
{
    aeffect.numInputs = count;
}
void AudioEffect::setNumOutputs(int32_t count)
{
    aeffect.numOutputs = count;
}
void AudioEffect::canProcessReplacing(bool state)
{
    setFlag(effFlagsCanReplacing, state);
}
void AudioEffect::canDoubleReplacing(bool state)
{
    setFlag(effFlagsCanDoubleReplacing, state);
}
void AudioEffect::programsAreChunks(bool state)
{
    setFlag(effFlagsProgramChunks, state);
}
void AudioEffect::setInitialDelay(int32_t delay)
{
    aeffect.initialDelay = delay;
}

AEffEditor *AudioEffect::getEditor()
{
    return editor;
}
AEffect *AudioEffect::getAeffect()
{
    return &aeffect;
}
float AudioEffect::getSampleRate()
{
    return sampleRate;
}
int32_t AudioEffect::getBlockSize()
{
    return blockSize;
}

void AudioEffect::processAccumulating(float **, float **, int32_t) {}

void AudioEffect::setEditor(AEffEditor *newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(int32_t bit, bool state)
{
    if (state)
        aeffect.flags |= bit;
    else
        aeffect.flags &= ~bit;
}

// Entry points in the record. The process entries run on the host's audio
// thread: they only check their arguments and forward.

AudioEffect *AudioEffect::fromRecord(AEffect *e)
{
    return e ? static_cast<AudioEffect *>(e->object) : nullptr;
}

intptr_t AudioEffect::dispatchEntry(AEffect *e, int32_t opcode, int32_t index, intptr_t value,
                                    void *ptr, float opt)
{
    AudioEffect *self = fromRecord(e);
    if (!self)
        return 0;
    if (opcode == effClose) {
        self->dispatcher(opcode, index, value, ptr, opt);
        delete self;
        return 1;
    }
    return self->dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffect::processEntry(AEffect *e, float **inputs, float **outputs, int32_t frames)
{
    AudioEffect *self = fromRecord(e);
    if (self && blockUsable(*e, inputs, outputs, frames))
        self->processAccumulating(inputs, outputs, frames);
}

void AudioEffect::processReplacingEntry(AEffect *e, float **inputs, float **outputs, int32_t frames)
{
    AudioEffect *self = fromRecord(e);
    if (self && blockUsable(*e, inputs, outputs, frames))
        self->processReplacing(inputs, outputs, frames);
}

void AudioEffect::processDoubleReplacingEntry(AEffect *e, double **inputs, double **outputs,
                                              int32_t frames)
{
    AudioEffect *self = fromRecord(e);
    if (self && blockUsable(*e, inputs, outputs, frames))
        self->processDoubleReplacing(inputs, outputs, frames);
}

void AudioEffect::setParameterEntry(AEffect *e, int32_t index, float value)
{
    AudioEffect *self = fromRecord(e);
    if (self && self->isParameterIndex(index) && std::isfinite(value))
        self->setParameter(index, value);
}

float AudioEffect::getParameterEntry(AEffect *e, int32_t index)
{
    AudioEffect *self = fromRecord(e);
    if (self && self->isParameterIndex(index))
        return self->getParameter(index);
    return 0.0f;
}
