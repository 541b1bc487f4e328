// Loads a VST 2.4 plug-in from a shared object and drives its instances the way a host does.
#pragma once
#include "vst/aeffect.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The shared object, open for the lifetime of the object.
class PluginLibrary {
public:
    explicit PluginLibrary(const std::string &path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary &) = delete;
    PluginLibrary &operator=(const PluginLibrary &) = delete;

    const std::string &path() const { return path_; }
    VstPluginEntryProc entry() const { return entry_; }

private:
    std::string path_;
    void *handle_ = nullptr;
    VstPluginEntryProc entry_ = nullptr;
};

// One running instance: open, rate and block size set and switched on by the
// constructor; switched off and closed by the destructor.
class PluginInstance {
public:
    PluginInstance(const PluginLibrary &library, float sample_rate, int32_t max_block);
    ~PluginInstance();
    PluginInstance(const PluginInstance &) = delete;
    PluginInstance &operator=(const PluginInstance &) = delete;

    int32_t num_params() const { return effect_->numParams; }
    void set_parameter(int32_t index, float value);
    float get_parameter(int32_t index);
    // Feeds n <= max_block samples to input 0; out receives output 0.
    void process(const float *in, float *out, int32_t n);
    // The same without the copies: the caller fills input() and reads
    // output() (output 0) afterwards.
    float *input() { return inputs_[0].data(); }
    const float *output() const { return outputs_[0].data(); }
    void process_in_place(int32_t n);

private:
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void *ptr = nullptr,
                      float opt = 0.0f);

    AEffect *effect_ = nullptr;
    int32_t max_block_;
    std::vector<std::vector<float>> inputs_, outputs_;
    std::vector<float *> input_ptrs_, output_ptrs_;
};
