// ZR_Main_Vst: identity, parameter texts and the forwarding to the application.
#include "vst/ZR_Main_Vst.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/ZR_Application_Param.h"
#include "app/ZR_maker.h"
#include "vst/AEffEditor.h"

namespace {

const char kProgramName[] = "Default program";

// Zeroes size bytes of the host's buffer, then writes the first size - 1
// characters of the formatted text at most.
template <typename... Args>
void write_text(char *text, int size, const char *format, Args... args)
{
    if (!text || size <= 0)
        return;
    std::memset(text, 0, (size_t)size);
    char full[512];
    int n = std::snprintf(full, sizeof full, format, args...);
    if (n <= 0)
        return;
    if (n > (int)sizeof full - 1)
        n = (int)sizeof full - 1;
    std::memcpy(text, full, (size_t)(n < size - 1 ? n : size - 1));
}

} // namespace

void ZR_product_string(char *text, int size)
{
    write_text(text, size, "%s %s", ZR_MAKER_ADDRESS, ZR_EFFECT_NAME);
}

ZR_Main_Vst::ZR_Main_Vst(audioMasterCallback host) : AudioEffectX(host, 1, 2)
{
    app.build();
    sizeWindow(app.editor_width, app.editor_height);
    if (app.usesChunks())
        programsAreChunks(true);
    setNumInputs(1);
    setNumOutputs(2);
    setUniqueID(UNIQUE_ID);
    setEditor(ZR_make_vst_editor(this));
}

ZR_Main_Vst::~ZR_Main_Vst()
{
    // A host's standard output stays quiet unless the trace is asked for.
    app.report_empty_slots = trace_dispatch;
    // The editor goes first: it uses the application, and the widgets go
    // only once no window shows them.
    AEffEditor *e = getEditor();
    setEditor(nullptr);
    delete e;
    app.destroy();
}

intptr_t ZR_Main_Vst::vendorSpecific(int32_t index, intptr_t value, void *ptr, float opt)
{
    if (index != PRESET_SAVE && index != PRESET_LOAD)
        return AudioEffectX::vendorSpecific(index, value, ptr, opt);
    app.params[index == PRESET_SAVE ? ZR_Application::SAVE : ZR_Application::LOAD]->notify(&app);
    return 1;
}

void ZR_Main_Vst::tell_host(int32_t opcode, int32_t index, float value)
{
    if (hostCallback)
        hostCallback(&aeffect, opcode, index, 0, nullptr, value);
}

void ZR_Main_Vst::open()
{
    app.open();
}

void ZR_Main_Vst::setSampleRate(float rate)
{
    AudioEffectX::setSampleRate(rate);
    app.setSampleRate(rate);
}

void ZR_Main_Vst::processReplacing(float **inputs, float **outputs, int32_t frames)
{
    app.process(inputs, outputs, frames);
}

ZR_Application::Param *ZR_Main_Vst::record(int32_t index)
{
    return isParameterIndex(index) ? app.params[index] : nullptr;
}

void ZR_Main_Vst::setParameter(int32_t index, float value)
{
    ZR_Application::Param *p = record(index);
    if (p && p->set_from_host(value))
        p->notify(&app);
}

float ZR_Main_Vst::getParameter(int32_t index)
{
    ZR_Application::Param *p = record(index);
    return p ? p->get_for_host() : 0.0f;
}

int32_t ZR_Main_Vst::getProgram()
{
    return 0;
}
void ZR_Main_Vst::setProgram(int32_t) {}
void ZR_Main_Vst::setProgramName(const char *) {}

void ZR_Main_Vst::getProgramName(char *name)
{
    write_text(name, kVstMaxProgNameLen, "%s", kProgramName);
}

bool ZR_Main_Vst::getProgramNameIndexed(int32_t, int32_t, char *text)
{
    write_text(text, kVstMaxProgNameLen, "%s", kProgramName);
    return true;
}

void ZR_Main_Vst::getParamName(int32_t index, char *text)
{
    ZR_Application::Param *p = record(index);
    write_text(text, kVstMaxParamStrLen, "%s", p && p->info ? p->info->name : "");
}

void ZR_Main_Vst::getParamDisplay(int32_t index, char *text)
{
    char full[64] = "";
    ZR_Application::Param *p = record(index);
    if (p && p->info)
        param_display(*p->info, p->number(), full, sizeof full);
    write_text(text, kVstMaxParamStrLen, "%s", full);
}

void ZR_Main_Vst::getParamLabel(int32_t index, char *text)
{
    char full[64] = "";
    ZR_Application::Param *p = record(index);
    if (p && p->info)
        param_label(*p->info, full, sizeof full);
    write_text(text, kVstMaxParamStrLen, "%s", full);
}

bool ZR_Main_Vst::string2Parameter(int32_t index, const char *text)
{
    ZR_Application::Param *p = record(index);
    if (!p || !p->info)
        return false;
    if (!text)
        return true;
    float x;
    if (!param_parse(*p->info, text, &x))
        return false;
    setParameter(index, x);
    return true;
}

bool ZR_Main_Vst::getParameterProperties(int32_t index, VstParameterProperties *properties)
{
    ZR_Application::Param *p = record(index);
    if (!p || !p->info || !properties)
        return false;
    const ParamInfo &info = *p->info;
    std::memset(properties, 0, sizeof *properties);
    write_text(properties->label, (int)sizeof properties->label, "%s", info.name);
    write_text(properties->shortLabel, (int)sizeof properties->shortLabel, "%s", info.short_name);
    if (info.kind == ParamKind::Switch)
        properties->flags = kVstParameterIsSwitch;
    return true;
}

int32_t ZR_Main_Vst::getChunk(void **data, bool)
{
    ZR_value chunk = app.getChunk();
    if (data)
        *data = chunk.value.o;
    return chunk.len;
}

int32_t ZR_Main_Vst::setChunk(void *data, int32_t byteSize, bool)
{
    ZR_value chunk(ZR_TYPE_KEYWORD, byteSize);
    chunk.value.o = data;
    app.setChunk(chunk);
    return byteSize;
}

bool ZR_Main_Vst::getEffectName(char *name)
{
    write_text(name, kVstMaxEffectNameLen, "%s", ZR_EFFECT_NAME);
    return true;
}

bool ZR_Main_Vst::getVendorString(char *text)
{
    write_text(text, kVstMaxVendorStrLen, "%s", ZR_MAKER_ADDRESS);
    return true;
}

bool ZR_Main_Vst::getProductString(char *text)
{
    ZR_product_string(text, kVstMaxProductStrLen);
    return true;
}

int32_t ZR_Main_Vst::getVendorVersion()
{
    return VENDOR_VERSION;
}
int32_t ZR_Main_Vst::getPlugCategory()
{
    return kPlugCategEffect;
}

AEffect *ZR_create_plugin(audioMasterCallback host)
{
    // Without a callback the version query cannot be asked.
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        return (new ZR_Main_Vst(host))->getAeffect();
    }
    catch (...) {
        // Nothing may unwind into the host.
        return nullptr;
    }
}
