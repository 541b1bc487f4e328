// The plug-in adapter: binds the filter application to a VST 2.4 host.
#pragma once

#include "app/ZR_Application.h"
#include "vst/AudioEffectX.h"

class ZR_Main_Vst : public AudioEffectX {
public:
    static constexpr int32_t UNIQUE_ID = vstFourCC('f', '5', '5', '4'); // 0x66353534
    static constexpr int32_t VENDOR_VERSION = 1000;
    // effVendorSpecific indexes that run the preset actions (dialog, file,
    // message box) on the calling thread; the call answers 1.
    static constexpr int32_t PRESET_SAVE = vstFourCC('v', 'm', 'S', 'v');
    static constexpr int32_t PRESET_LOAD = vstFourCC('v', 'm', 'L', 'd');

    explicit ZR_Main_Vst(audioMasterCallback host);
    ~ZR_Main_Vst() override;

    void open() override;
    void setSampleRate(float rate) override;
    void processReplacing(float **inputs, float **outputs, int32_t frames) override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;

    int32_t getProgram() override;
    void setProgram(int32_t program) override;
    void setProgramName(const char *name) override;
    void getProgramName(char *name) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char *text) override;

    void getParamName(int32_t index, char *text) override;
    void getParamDisplay(int32_t index, char *text) override;
    void getParamLabel(int32_t index, char *text) override;
    bool string2Parameter(int32_t index, const char *text) override;
    bool getParameterProperties(int32_t index, VstParameterProperties *properties) override;

    int32_t getChunk(void **data, bool isPreset) override;
    int32_t setChunk(void *data, int32_t byteSize, bool isPreset) override;

    bool getEffectName(char *name) override;
    bool getVendorString(char *text) override;
    bool getProductString(char *text) override;
    int32_t getVendorVersion() override;
    int32_t getPlugCategory() override;
    intptr_t vendorSpecific(int32_t index, intptr_t value, void *ptr, float opt) override;

    ZR_Application &application() { return app; }
    // One call to the host (begin or end edit, automate) for a parameter.
    void tell_host(int32_t opcode, int32_t index, float value);

private:
    ZR_Application::Param *record(int32_t index);
    ZR_Application app;
};

// The editor for the platform the plug-in is built for, or null for none
// (ZR_Main_Vst_Editor_X11.cpp, ZR_Main_Vst_Editor_Headless.cpp).
AEffEditor *ZR_make_vst_editor(ZR_Main_Vst *adapter);

// The product string: maker address, one space, effect name; cut to size bytes.
void ZR_product_string(char *text, int size);

// What VSTPluginMain does: null when the host answers the version query with 0
// or the effect cannot be created.
AEffect *ZR_create_plugin(audioMasterCallback host);
