// Base class of a VST 2.4 effect: owns the AEffect record the host sees and
// routes the host's requests to virtual operations with default answers.
#pragma once

#include <cstdint>

#include "vst/aeffect.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();

    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void *ptr,
                                float opt);

    virtual void open();
    virtual void close();
    virtual void suspend();
    virtual void resume();

    virtual void setSampleRate(float sampleRate);
    virtual void setBlockSize(int32_t blockSize);

    virtual void processReplacing(float **inputs, float **outputs, int32_t frames) = 0;
    virtual void processDoubleReplacing(double **inputs, double **outputs, int32_t frames);

    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    // setParameter, then tells the host (automate) so that it records the change.
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram();
    virtual void setProgram(int32_t program);
    virtual void setProgramName(const char *name);
    // Text buffers hold kVstMaxProgNameLen or kVstMaxParamStrLen bytes.
    virtual void getProgramName(char *name);
    virtual void getParamLabel(int32_t index, char *label);
    virtual void getParamDisplay(int32_t index, char *text);
    virtual void getParamName(int32_t index, char *text);

    virtual int32_t getChunk(void **data, bool isPreset);
    virtual int32_t setChunk(void *data, int32_t byteSize, bool isPreset);

    virtual void setUniqueID(int32_t id);
    virtual void setNumInputs(int32_t count);
    virtual void setNumOutputs(int32_t count);
    virtual void canProcessReplacing(bool state);
    virtual void canDoubleReplacing(bool state);
    virtual void programsAreChunks(bool state);
    virtual void setInitialDelay(int32_t delay);

    virtual AEffEditor *getEditor();
    virtual AEffect *getAeffect();
    virtual float getSampleRate();
    virtual int32_t getBlockSize();

    virtual void processAccumulating(float **inputs, float **outputs, int32_t frames);

    // Takes ownership; sets the has-editor flag when non-null, clears it when null.
    // A previously installed editor is not deleted.
    void setEditor(AEffEditor *newEditor);

protected:
    void setFlag(int32_t bit, bool state);
    bool isParameterIndex(intptr_t index) const { return index >= 0 && index < numParams; }
    bool isProgramIndex(intptr_t index) const { return index >= 0 && index < numPrograms; }

    audioMasterCallback hostCallback; // may be null
    AEffEditor *editor;               // owned
    float sampleRate;
    int32_t blockSize;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram;
    AEffect aeffect;
    // Dispatcher trace lines on standard output (VEMO_TRACE=1 at creation).
    bool trace_dispatch;

private:
    static AudioEffect *fromRecord(AEffect *e);

    static intptr_t VEMO_VSTCALL dispatchEntry(AEffect *e, int32_t opcode, int32_t index,
                                               intptr_t value, void *ptr, float opt);
    static void VEMO_VSTCALL processEntry(AEffect *e, float **inputs, float **outputs,
                                          int32_t frames);
    static void VEMO_VSTCALL processReplacingEntry(AEffect *e, float **inputs, float **outputs,
                                                   int32_t frames);
    static void VEMO_VSTCALL processDoubleReplacingEntry(AEffect *e, double **inputs,
                                                         double **outputs, int32_t frames);
    static void VEMO_VSTCALL setParameterEntry(AEffect *e, int32_t index, float value);
    static float VEMO_VSTCALL getParameterEntry(AEffect *e, int32_t index);
};
