// A probe plug-in for the renderer's tests: out = in * p0 + p1 on both outputs,
// with VEMO_TRACE=1 a trace line per dispatcher call on stdout, and at effClose one line in the
// file named by VEMO_PROBE_LOG describing what the host did.
#include "vst/aeffect.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Probe {
    AEffect effect{};
    float params[2] = {1.0f, 0.0f};
    std::string opcodes;
    float rate = 0.0f;
    intptr_t block = 0;
    bool mains = false;
    int32_t max_frames = 0;
    long calls = 0;
    long misuse = 0; // processing while off, before a rate, or beyond the block size
    bool trace = false;
};

Probe *probe_of(AEffect *e)
{
    return static_cast<Probe *>(e->object);
}

intptr_t dispatcher(AEffect *e, int32_t opcode, int32_t, intptr_t value, void *, float opt)
{
    Probe *p = probe_of(e);
    if (p->trace)
        std::printf("probe dispatcher opcode=%d\n", opcode);
    p->opcodes += (p->opcodes.empty() ? "" : ",") + std::to_string(opcode);
    switch (opcode) {
    case effSetSampleRate:
        p->rate = opt;
        break;
    case effSetBlockSize:
        p->block = value;
        break;
    case effMainsChanged:
        p->mains = value != 0;
        break;
    case effClose:
        if (const char *log = std::getenv("VEMO_PROBE_LOG")) {
            if (FILE *f = std::fopen(log, "a")) {
                std::fprintf(f, "opcodes=%s rate=%g block=%ld max_frames=%d calls=%ld misuse=%ld\n",
                             p->opcodes.c_str(), (double)p->rate, (long)p->block, p->max_frames,
                             p->calls, p->misuse);
                std::fclose(f);
            }
        }
        delete p;
        return 1;
    default:
        break;
    }
    return 0;
}

void process(AEffect *e, float **in, float **out, int32_t frames)
{
    Probe *p = probe_of(e);
    ++p->calls;
    if (frames > p->max_frames)
        p->max_frames = frames;
    if (!p->mains || p->rate <= 0.0f || frames > p->block)
        ++p->misuse;
    for (int32_t i = 0; i < frames; ++i)
        out[0][i] = out[1][i] = in[0][i] * p->params[0] + p->params[1];
}

void set_parameter(AEffect *e, int32_t index, float value)
{
    if (index >= 0 && index < 2)
        probe_of(e)->params[index] = value;
}

float get_parameter(AEffect *e, int32_t index)
{
    return index >= 0 && index < 2 ? probe_of(e)->params[index] : 0.0f;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect *VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != 2400 ||
        std::getenv("VEMO_PROBE_REFUSE"))
        return nullptr;
    Probe *p = new Probe;
    const char *trace = std::getenv("VEMO_TRACE");
    p->trace = trace && std::string(trace) == "1";
    AEffect &e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = set_parameter;
    e.getParameter = get_parameter;
    e.processReplacing = process;
    e.numPrograms = 1;
    e.numParams = 2;
    e.numInputs = 1;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing;
    e.object = p;
    return &e;
}
