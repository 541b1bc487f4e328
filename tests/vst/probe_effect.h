// Test doubles for the VST base: a fake host callback, an effect and an editor
// that record what reaches them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "vst/AEffEditor.h"
#include "vst/AudioEffectX.h"

// One call the plug-in made to the host.
struct HostCall {
    AEffect *effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void *ptr;
    float opt;
};

// Host callback with global state: a plain function pointer cannot capture.
struct FakeHost {
    static std::vector<HostCall> calls;
    static intptr_t answer;
    static void reset()
    {
        calls.clear();
        answer = 0;
    }
    static intptr_t callback(AEffect *effect, int32_t opcode, int32_t index, intptr_t value,
                             void *ptr, float opt)
    {
        calls.push_back({effect, opcode, index, value, ptr, opt});
        return answer;
    }
};

// Order of notable events across effect and editor, for lifecycle checks.
extern std::vector<std::string> eventLog;

// Only what the base requires overridden: everything else is the default.
class DefaultEffect : public AudioEffectX {
public:
    DefaultEffect(audioMasterCallback host, int32_t programs = 1, int32_t params = 2)
        : AudioEffectX(host, programs, params)
    {
    }
    ~DefaultEffect() override { eventLog.push_back("~effect"); }
    void processReplacing(float **, float **, int32_t) override {}
};

// Records every forwarded call; text operations write a full 64-byte answer so
// that a call with a bad buffer would be caught by the sanitizer.
class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback host, int32_t programs = 3, int32_t params = 2)
        : AudioEffectX(host, programs, params)
    {
    }
    ~ProbeEffect() override { eventLog.push_back("~effect"); }

    void open() override { eventLog.push_back("open"); }
    void close() override { eventLog.push_back("close"); }
    void suspend() override { eventLog.push_back("suspend"); }
    void resume() override
    {
        eventLog.push_back("resume");
        AudioEffectX::resume();
    }

    void processReplacing(float **in, float **out, int32_t frames) override
    {
        ++replacingCalls;
        lastFrames = frames;
        for (int32_t i = 0; i < frames; ++i)
            out[0][i] = out[1][i] = 2.0f * in[0][i];
    }
    void processDoubleReplacing(double **, double **, int32_t frames) override
    {
        ++doubleCalls;
        lastFrames = frames;
    }
    void processAccumulating(float **, float **, int32_t frames) override
    {
        ++accumulatingCalls;
        lastFrames = frames;
    }

    void setParameter(int32_t index, float value) override
    {
        setParameterLog.push_back({index, value});
        if (index < 0 || index >= 2)
            ++outOfRangeCalls;
        else
            params[index] = value;
    }
    float getParameter(int32_t index) override
    {
        if (index < 0 || index >= 2) {
            ++outOfRangeCalls;
            return -1.0f;
        }
        return params[index];
    }

    void setProgramName(const char *name) override { readText(name); }
    void getProgramName(char *text) override { fill(text); }
    void getParamLabel(int32_t, char *text) override { fill(text); }
    void getParamDisplay(int32_t, char *text) override { fill(text); }
    void getParamName(int32_t, char *text) override { fill(text); }
    int32_t getChunk(void **data, bool) override
    {
        ++textCalls;
        if (!data) {
            ++nullCalls;
            return 0;
        }
        *data = chunk;
        return static_cast<int32_t>(sizeof chunk);
    }
    int32_t setChunk(void *data, int32_t size, bool) override
    {
        if (!readText(static_cast<const char *>(data)))
            return 0;
        lastChunkSize = size;
        return size;
    }
    bool canBeAutomated(int32_t) override
    {
        ++textCalls;
        return true;
    }
    bool string2Parameter(int32_t, const char *text) override { return readText(text); }
    bool getProgramNameIndexed(int32_t, int32_t, char *text) override { return fill(text); }
    bool getEffectName(char *text) override { return fill(text); }
    bool getVendorString(char *text) override { return fill(text); }
    bool getProductString(char *text) override { return fill(text); }
    int32_t shellGetNextPlugin(char *text) override { return fill(text) ? 1 : 0; }
    int32_t canDo(const char *text) override
    {
        if (!readText(text))
            return 0;
        return std::strcmp(text, "receiveVstMidiEvent") == 0 ? canDoMidi : 0;
    }
    bool getInputProperties(int32_t, VstPinProperties *p) override { return fill(p); }
    bool getOutputProperties(int32_t, VstPinProperties *p) override { return fill(p); }
    bool getParameterProperties(int32_t, VstParameterProperties *p) override { return fill(p); }
    int32_t getMidiProgramName(int32_t, MidiProgramName *p) override { return fill(p) ? 1 : 0; }
    int32_t getCurrentMidiProgram(int32_t, MidiProgramName *p) override { return fill(p) ? 5 : 0; }
    int32_t getMidiProgramCategory(int32_t, MidiProgramCategory *p) override
    {
        return fill(p) ? 1 : 0;
    }
    bool getMidiKeyName(int32_t, MidiKeyName *p) override { return fill(p); }

    int32_t canDoMidi = 0;
    int replacingCalls = 0, doubleCalls = 0, accumulatingCalls = 0;
    int32_t lastFrames = -99;
    int outOfRangeCalls = 0;
    int textCalls = 0;
    int nullCalls = 0;
    int32_t lastChunkSize = -1;
    float params[2] = {0.0f, 0.0f};
    struct ParamCall {
        int32_t index;
        float value;
    };
    std::vector<ParamCall> setParameterLog;
    char chunk[16] = {};

    using AudioEffect::setFlag;

private:
    // Touches the 64 bytes a careless override would; null buffers are counted instead.
    bool readText(const char *text)
    {
        ++textCalls;
        if (!text) {
            ++nullCalls;
            return false;
        }
        volatile char last = 0;
        for (int i = 0; i < 64 && text[i]; ++i)
            last = text[i];
        (void)last;
        return true;
    }
    bool fill(void *buffer)
    {
        ++textCalls;
        if (!buffer) {
            ++nullCalls;
            return false;
        }
        std::memset(buffer, 'P', 63);
        static_cast<char *>(buffer)[63] = '\0';
        return true;
    }
};

// Records editor calls; getRect answers with its own rectangle.
class ProbeEditor : public AEffEditor {
public:
    explicit ProbeEditor(AudioEffect *effect) : AEffEditor(effect) { rect = {0, 0, 236, 200}; }
    ~ProbeEditor() override { eventLog.push_back("~editor"); }
    bool getRect(ERect **out) override
    {
        if (!out) {
            ++nullCalls;
            return false;
        }
        *out = &rect;
        return true;
    }
    bool open(void *parent) override
    {
        ++opens;
        AEffEditor::open(parent);
        return true;
    }
    bool keyDown(VstKeyCode &key) override
    {
        lastKey = key;
        ++keyDowns;
        return true;
    }
    bool keyUp(VstKeyCode &key) override
    {
        lastKey = key;
        ++keyUps;
        return false;
    }
    bool setKnobMode(int32_t mode) override
    {
        knobMode = mode;
        return true;
    }
    void idle() override { ++idles; }

    ERect rect;
    VstKeyCode lastKey{};
    int keyDowns = 0, keyUps = 0, idles = 0, nullCalls = 0, opens = 0;
    int32_t knobMode = -1;
};

// Calls the record's dispatcher as a host does.
inline intptr_t hostDispatch(AEffect *e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                             void *ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
