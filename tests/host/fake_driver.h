// A driver class for the host's tests: instances described by the test, a
// log of the driver operations, failures on request, and blocks pumped by
// the test through the registered callback.
#pragma once
#include "ZR/Rts/ZR_Rts.h"

#include <memory>
#include <string>
#include <vector>

struct FakeSetup {
    std::string name;
    int inputs = 2;
    std::vector<int> rates = {48000};
    int frames = 64;
    int outputs = 2;
    ZR_status init_result = nullptr; // null: ZR_OK
    ZR_status mode_result = nullptr;
};

class FakeRts : public ZR_Rts {
public:
    // The instances the next classInit creates, in order.
    static std::vector<FakeSetup> setups;
    // "A.init", "A.mode 0", "A.free", "A.done" ... in call order.
    static std::vector<std::string> log;
    static ZR_Rts_callback callback;
    static std::vector<FakeRts *> instances;

    static ZR_status classInit(ZR_Rts_callback cb);
    static void class_cleanup();

    explicit FakeRts(const FakeSetup &setup);
    ZR_status init() override;
    ZR_status done() override;
    ZR_status mode(Mode *m) override;
    ZR_status free() override;

    // Points the inputs at data[j] and the outputs at outs[k], then runs one
    // block of the registered callback.
    void pump(const std::vector<float *> &ins, const std::vector<float *> &outs);

    FakeSetup setup;

private:
    // Sample memory of every channel made so far: inputs carry a signal from
    // the start, so the callback may be run without pump.
    std::vector<std::vector<float>> memory;
    float *block_memory(float value);
};
