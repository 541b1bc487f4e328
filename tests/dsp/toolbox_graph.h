// Test helper: a sound pipe with buffers and effects made by commands,
// deleted in the framework's order (effects, buffers, pipe).
#pragma once
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <vector>

class ToolboxGraph {
public:
    explicit ToolboxGraph(int block) { spcpp("ZR_Soundpipe -bl %i", &pipe, block); }
    ~ToolboxGraph()
    {
        for (auto it = effects.rbegin(); it != effects.rend(); ++it)
            spcpp("%o -delete", *it);
        for (ZR_Buffer *b : buffers)
            spcpp("%o -delete", b);
        spcpp("%o -delete", pipe);
    }
    ToolboxGraph(const ToolboxGraph &) = delete;
    ToolboxGraph &operator=(const ToolboxGraph &) = delete;

    // A buffer following the block length, or of a fixed length.
    ZR_Buffer *buffer(int length = -1)
    {
        ZR_Buffer *b = nullptr;
        spcpp("ZR_Buffer", &b);
        if (length >= 0)
            spcpp("%o -l %i", b, length);
        buffers.push_back(b);
        return b;
    }
    // An effect made by a command whose first placeholder receives it, kept
    // for deletion.
    template <class T, class... Args>
    T *effect(const char *command, Args... args)
    {
        T *e = nullptr;
        spcpp(command, &e, args...);
        return keep(e);
    }
    template <class T>
    T *keep(T *effect)
    {
        effects.push_back(effect);
        return effect;
    }
    void clock(int fs)
    {
        for (ZR_Effect *e : effects)
            spcpp("ZR_Effect %o -clock %i", e, fs);
    }
    void run(int blocks = 1)
    {
        for (int i = 0; i < blocks; ++i)
            pipe->process();
    }

    ZR_Soundpipe *pipe = nullptr;
    std::vector<ZR_Effect *> effects;
    std::vector<ZR_Buffer *> buffers;
};

inline void fill(ZR_Buffer *b, int32_t value)
{
    for (int32_t i = 0; i < b->length; ++i)
        b->data[i] = value;
}
