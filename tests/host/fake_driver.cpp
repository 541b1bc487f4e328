// The test driver class.
#include "fake_driver.h"

#include <cstdio>

std::vector<FakeSetup> FakeRts::setups;
std::vector<std::string> FakeRts::log;
ZR_Rts_callback FakeRts::callback = nullptr;
std::vector<FakeRts *> FakeRts::instances;

namespace {
const uint32_t FLOATS = ZR_Rts::FORMAT_FLOAT | 32 << 8 | 4;
}

ZR_status FakeRts::classInit(ZR_Rts_callback cb)
{
    callback = cb;
    for (const FakeSetup &s : setups) {
        FakeRts *d = new FakeRts(s);
        instances.push_back(d);
        ZR_Rts_instances.insert(&d->instance_link);
    }
    return ZR_OK;
}

void FakeRts::class_cleanup()
{
    log.push_back("cleanup");
    for (FakeRts *d : instances) {
        ZR_Rts_instances.remove(&d->instance_link);
        delete d;
    }
    instances.clear();
}

FakeRts::FakeRts(const FakeSetup &s) : ZR_Rts(s.name.c_str()), setup(s) {}

ZR_status FakeRts::init()
{
    log.push_back(setup.name + ".init");
    if (setup.init_result)
        return setup.init_result;
    for (int rate : setup.rates) {
        Mode *m = new Mode(rate, 32, setup.frames, setup.outputs);
        modes.insert(&m->link);
    }
    for (int j = 0; j < setup.inputs; ++j) {
        char name[64];
        std::snprintf(name, sizeof name, "%s in %d", setup.name.c_str(), j + 1);
        Chan *c = new Chan(name, FLOATS, setup.frames);
        c->data = block_memory(0.25f / (float)(j + 1));
        inputs.insert(&c->link);
    }
    return ZR_OK;
}

ZR_status FakeRts::done()
{
    log.push_back(setup.name + ".done");
    return ZR_Rts::done();
}

ZR_status FakeRts::mode(Mode *m)
{
    int index = 0;
    while (mode_at(modes, index) && mode_at(modes, index) != m)
        ++index;
    log.push_back(setup.name + ".mode " + std::to_string(index));
    if (setup.mode_result)
        return setup.mode_result;
    ZR_Rts::mode(m);
    for (int k = 0; k < m->channels; ++k) {
        Chan *c = new Chan("out", FLOATS, m->frames);
        c->data = block_memory(0.0f);
        outputs.insert(&c->link);
    }
    return ZR_OK;
}

ZR_status FakeRts::free()
{
    log.push_back(setup.name + ".free");
    return ZR_Rts::free();
}

float *FakeRts::block_memory(float value)
{
    memory.emplace_back((size_t)setup.frames, value);
    return memory.back().data();
}

void FakeRts::pump(const std::vector<float *> &ins, const std::vector<float *> &outs)
{
    for (size_t j = 0; j < ins.size(); ++j)
        if (Chan *c = chan_at(inputs, (int)j))
            c->data = ins[j];
    for (size_t k = 0; k < outs.size(); ++k)
        if (Chan *c = chan_at(outputs, (int)k))
            c->data = outs[k];
    if (callback)
        callback();
}
