// Extended effect base: answers the later dispatcher opcodes (25 and up) and
// passes everything else down to AudioEffect.
#pragma once

#include <cstdint>

#include "vst/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    ~AudioEffectX() override;

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void *ptr,
                        float opt) override;
    // Asks the host for events when the effect is a synthesizer or can receive MIDI events.
    void resume() override;

    virtual bool canBeAutomated(int32_t index);
    // text null: does the parameter take text at all.
    virtual bool string2Parameter(int32_t index, const char *text);
    virtual bool getParameterProperties(int32_t index, VstParameterProperties *properties);
    // Text buffer of kVstMaxProgNameLen bytes.
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char *text);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual int32_t beginLoadBank(VstPatchChunkInfo *info);
    virtual int32_t beginLoadProgram(VstPatchChunkInfo *info);
    virtual bool getInputProperties(int32_t index, VstPinProperties *properties);
    virtual bool getOutputProperties(int32_t index, VstPinProperties *properties);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement *input, VstSpeakerArrangement *output);
    virtual bool getSpeakerArrangement(VstSpeakerArrangement **input,
                                       VstSpeakerArrangement **output);
    virtual bool setBypass(bool onOff);
    virtual bool setPanLaw(int32_t type, float value);
    virtual bool setProcessPrecision(int32_t precision);
    virtual int32_t getNumMidiInputChannels();
    virtual int32_t getNumMidiOutputChannels();
    virtual int32_t processEvents(VstEvents *events);
    virtual int32_t startProcess();
    virtual int32_t stopProcess();
    virtual bool processVarIo(VstVariableIo *varIo);
    virtual int32_t setTotalSampleToProcess(int32_t value);
    virtual int32_t getTailSize();
    // Text buffers: kVstMaxEffectNameLen, kVstMaxVendorStrLen, kVstMaxProductStrLen bytes.
    virtual bool getEffectName(char *name);
    virtual bool getVendorString(char *text);
    virtual bool getProductString(char *text);
    virtual int32_t getVendorVersion();
    virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void *ptr, float opt);
    // 1 yes, -1 no, 0 not known.
    virtual int32_t canDo(const char *text);
    virtual int32_t getVstVersion();
    virtual int32_t getPlugCategory();
    virtual int32_t getMidiProgramName(int32_t channel, MidiProgramName *name);
    virtual int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName *current);
    virtual int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory *category);
    virtual bool hasMidiProgramsChanged(int32_t channel);
    virtual bool getMidiKeyName(int32_t channel, MidiKeyName *keyName);
    // Host callback: audioMasterSizeWindow; true when the host agreed.
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual int32_t shellGetNextPlugin(char *name);
    virtual bool offlineNotify(VstAudioFile *files, int32_t count, bool start);
    virtual bool offlinePrepare(VstOfflineTask *tasks, int32_t count);
    virtual bool offlineRun(VstOfflineTask *tasks, int32_t count);
    // Host callback: audioMasterWantMidi with the filter; the host's answer.
    virtual intptr_t wantEvents(int32_t filter);
};
