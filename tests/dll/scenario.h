// A fixed run of the plug-in through its entry function, the same on every
// platform: the Linux build's output of it is the reference the Windows DLL
// must match sample for sample.
#pragma once
#include "vst/aeffect.h"

#include <cstdint>
#include <string>
#include <vector>

struct ScenarioCase {
    float rate;
    int32_t block;
};

// The rates and block sizes of the run, in order.
const std::vector<ScenarioCase> &scenario_cases();
// Frames each case processes.
constexpr int32_t SCENARIO_FRAMES = 6000;

// Both outputs of every case, case after case; empty with a message in
// *error when the plug-in cannot be made.
std::vector<float> run_scenario(VstPluginEntryProc entry, std::string *error);
