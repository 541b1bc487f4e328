// The run: per case a fresh instance, a deterministic signal (a sweep over
// noise, with full-scale clips), a cutoff jump, the switch off and on again.
#include "scenario.h"

#include <algorithm>
#include <cmath>

namespace {

intptr_t VEMO_VSTCALL host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == 1 ? 2400 : 0; // audioMasterVersion
}

// Input sample i of a case: integer noise and a phase kept in single
// precision steps, so every platform makes the same floats.
std::vector<float> input(int32_t frames, uint32_t seed)
{
    std::vector<float> in((size_t)frames);
    uint32_t state = seed;
    double phase = 0.0;
    for (int32_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = (float)(int32_t)(state >> 8) / 8388608.0f - 1.0f;
        phase += 0.0005 * i / frames;
        const double saw = phase - std::floor(phase);
        in[(size_t)i] = 0.6f * noise + (float)(2.4 * saw - 1.2); // clips at times
    }
    return in;
}

} // namespace

const std::vector<ScenarioCase> &scenario_cases()
{
    static const std::vector<ScenarioCase> cases = {
        {44100.0f, 1},    {44100.0f, 441},  {48000.0f, 64},  {48000.0f, 512},
        {48000.0f, 4096}, {88200.0f, 1000}, {96000.0f, 513}, {192000.0f, 256},
    };
    return cases;
}

std::vector<float> run_scenario(VstPluginEntryProc entry, std::string *error)
{
    std::vector<float> all;
    uint32_t seed = 12345;
    for (const ScenarioCase &c : scenario_cases()) {
        AEffect *e = entry(host);
        if (!e || e->magic != kEffectMagic) {
            *error = "the entry made no effect";
            return {};
        }
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, c.rate);
        e->dispatcher(e, effSetBlockSize, 0, c.block, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
        e->setParameter(e, 0, 1.0f);
        e->setParameter(e, 1, 0.35f);
        const std::vector<float> in = input(SCENARIO_FRAMES, seed++);
        std::vector<float> left((size_t)SCENARIO_FRAMES), right((size_t)SCENARIO_FRAMES);
        for (int32_t at = 0; at < SCENARIO_FRAMES; at += c.block) {
            const int32_t n = std::min(c.block, SCENARIO_FRAMES - at);
            if (at >= SCENARIO_FRAMES / 3 && at - c.block < SCENARIO_FRAMES / 3)
                e->setParameter(e, 1, 0.9f); // a jump: the glide
            if (at >= SCENARIO_FRAMES / 2 && at - c.block < SCENARIO_FRAMES / 2)
                e->setParameter(e, 0, 0.0f);
            if (at >= 2 * SCENARIO_FRAMES / 3 && at - c.block < 2 * SCENARIO_FRAMES / 3)
                e->setParameter(e, 0, 1.0f);
            float *ins[] = {const_cast<float *>(in.data()) + at};
            float *outs[] = {left.data() + at, right.data() + at};
            e->processReplacing(e, ins, outs, n);
        }
        e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        all.insert(all.end(), left.begin(), left.end());
        all.insert(all.end(), right.begin(), right.end());
    }
    return all;
}
