// PluginLibrary, PluginInstance: the host side of the VST 2.4 interface.
#include "tools/render/plugin_host.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace {

// What the host callback answers; the renderer is single-threaded and all
// instances of a run share one rate and block size.
struct HostState {
    float sample_rate = 44100.0f;
    int32_t block_size = 512;
};
HostState g_host;

intptr_t VEMO_VSTCALL host_callback(AEffect *, int32_t opcode, int32_t, intptr_t, void *ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return (intptr_t)g_host.sample_rate;
    case audioMasterGetBlockSize:
        return g_host.block_size;
    case audioMasterGetVendorString:
        if (ptr)
            std::snprintf(static_cast<char *>(ptr), kVstMaxVendorStrLen, "vemo");
        return 1;
    case audioMasterGetProductString:
        if (ptr)
            std::snprintf(static_cast<char *>(ptr), kVstMaxProductStrLen, "vemo-render");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    default:
        return 0; // automation, window sizing, time info, idle: nothing to do offline
    }
}

} // namespace

PluginLibrary::PluginLibrary(const std::string &path) : path_(path)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char *why = dlerror();
        throw HostError("cannot load plug-in " + path + ": " + (why ? why : "unknown error"));
    }
    void *sym = dlsym(handle_, "VSTPluginMain");
    if (!sym)
        sym = dlsym(handle_, "main");
    if (!sym) {
        dlclose(handle_);
        throw HostError(path + " is not a VST 2.4 plug-in (no VSTPluginMain entry)");
    }
    entry_ = reinterpret_cast<VstPluginEntryProc>(sym);
}

PluginLibrary::~PluginLibrary()
{
    if (handle_)
        dlclose(handle_);
}

PluginInstance::PluginInstance(const PluginLibrary &library, float sample_rate, int32_t max_block)
    : max_block_(max_block)
{
    g_host.sample_rate = sample_rate;
    g_host.block_size = max_block;
    effect_ = library.entry()(host_callback);
    if (!effect_)
        throw HostError("the plug-in " + library.path() + " refused to start");
    if (effect_->magic != kEffectMagic || !effect_->dispatcher) {
        effect_ = nullptr; // not a record we may call into
        throw HostError(library.path() + " returned something that is not a VST effect");
    }
    if (!(effect_->flags & effFlagsCanReplacing) || !effect_->processReplacing ||
        effect_->numInputs < 1 || effect_->numOutputs < 1 || effect_->numInputs > 64 ||
        effect_->numOutputs > 64) {
        dispatch(effClose);
        effect_ = nullptr;
        throw HostError(library.path() + ": unsupported plug-in (needs replacing processing, "
                                         "at least one input and one output)");
    }
    inputs_.assign((size_t)effect_->numInputs, std::vector<float>((size_t)max_block, 0.0f));
    outputs_.assign((size_t)effect_->numOutputs, std::vector<float>((size_t)max_block, 0.0f));
    for (auto &b : inputs_)
        input_ptrs_.push_back(b.data());
    for (auto &b : outputs_)
        output_ptrs_.push_back(b.data());

    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sample_rate);
    dispatch(effSetBlockSize, 0, max_block);
    dispatch(effMainsChanged, 0, 1);
}

PluginInstance::~PluginInstance()
{
    if (!effect_)
        return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose); // the plug-in frees itself; the record is gone after this
    effect_ = nullptr;
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void *ptr,
                                  float opt)
{
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::set_parameter(int32_t index, float value)
{
    if (effect_->setParameter)
        effect_->setParameter(effect_, index, value);
}

float PluginInstance::get_parameter(int32_t index)
{
    return effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginInstance::process_in_place(int32_t n)
{
    if (n <= 0)
        return;
    if (n > max_block_)
        throw HostError("block longer than announced to the plug-in");
    effect_->processReplacing(effect_, input_ptrs_.data(), output_ptrs_.data(), n);
}

void PluginInstance::process(const float *in, float *out, int32_t n)
{
    if (n <= 0)
        return;
    if (n > max_block_)
        throw HostError("block longer than announced to the plug-in");
    // Inputs are copied: a plug-in may scribble on them.
    std::memcpy(inputs_[0].data(), in, sizeof(float) * (size_t)n);
    effect_->processReplacing(effect_, input_ptrs_.data(), output_ptrs_.data(), n);
    std::memcpy(out, outputs_[0].data(), sizeof(float) * (size_t)n);
}
