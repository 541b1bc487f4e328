// An in-process test host: creates the plug-in through VSTPluginMain with a
// fake host callback and drives it through the AEffect record only.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "vst/aeffect.h"
#include "vst/vst_entry.h"

struct TestHost {
    // What the fake host answers to audioMasterVersion.
    static std::atomic<intptr_t> version_answer;
    static std::atomic<int> size_window_calls;
    static intptr_t callback(AEffect *effect, int32_t opcode, int32_t index, intptr_t value,
                             void *ptr, float opt);
};

class Plugin {
public:
    Plugin(); // VSTPluginMain with the fake host; fails the test on null
    ~Plugin();
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void *ptr = nullptr,
                      float opt = 0.0f);
    // effOpen, effSetSampleRate, effSetBlockSize, effMainsChanged 1.
    void start(float rate, int32_t block = 512);
    void set(int32_t index, float value) { e->setParameter(e, index, value); }
    float get(int32_t index) { return e->getParameter(e, index); }
    std::string text(int32_t opcode, int32_t index = 0, size_t size = 8);

    // One host call of processReplacing; returns channel 0 and checks that
    // channel 1 is identical.
    std::vector<float> process(const float *in, int32_t frames);
    // The whole signal in host blocks of the given sizes, repeated in turn.
    std::vector<float> run(const std::vector<float> &in, const std::vector<int32_t> &blocks);
    // Closes now (effClose); the destructor then does nothing.
    void close();

    AEffect *e = nullptr;
    bool channels_equal = true;
};

// Signals for the tests; every sample within -amplitude..amplitude.
std::vector<float> sine(size_t n, double hz, double rate, double amplitude);
std::vector<float> noise(size_t n, double amplitude, uint32_t seed);
std::vector<float> square(size_t n, double hz, double rate, double amplitude);
