// The base of every processing node: pipe membership, the shared options and
// buffer access with the one-block switching crossfade.
#pragma once
#include "ZR/core/ZR_chain.h"
#include "ZR/core/ZR_object.h"
#include "ZR/dsp/kernels/ZR_kernels.h"

#include <atomic>
#include <cstdint>

class ZR_Buffer;
class ZR_Soundpipe;

// Output mode names, in index order (ZR_MODE_SET ..).
extern const char *const ZR_mode_names[ZR_MODE_COUNT];

class ZR_Effect : public ZR_Object {
public:
    ZR_Chain_Item link;         // membership in the pipe's effect list
    std::atomic<bool> prepared; // cleared by option handlers, set by prepare
    std::atomic<int32_t> mode;  // output mode, 0..5
    std::atomic<int32_t> clock; // sample rate in Hz
    bool previous_on;           // on state of the previous block (audio thread)
    std::atomic<bool> on;       // requested state
    std::atomic<bool> debug;
    ZR_Soundpipe *pipe;
    bool block_on; // `on` as sampled for the current block

    ZR_Effect();
    ~ZR_Effect() override;

    virtual void process() {}
    virtual void prepare() { prepared.store(true, std::memory_order_relaxed); }
    virtual void clockChanged() {}
    virtual void reset() {}

    // Samples `on` once for the block the pipe is about to run.
    void begin_block() { block_on = on.load(std::memory_order_relaxed); }
    // The sample pointer of b for this block, applying or starting the
    // switching crossfade; null for a null buffer.
    int32_t *samples(ZR_Buffer *b);
    // The mode as a valid table index.
    int32_t mode_index() const;
    // On in this block and the previous one, prepared and in `mode`: no
    // switching crossfade and no pending option change.
    bool steady(int32_t mode) const
    {
        return on.load(std::memory_order_relaxed) && previous_on &&
               prepared.load(std::memory_order_relaxed) &&
               this->mode.load(std::memory_order_relaxed) == mode;
    }

    // Switching in the coming block (on differs from the previous block's),
    // prepared and in `mode`.
    bool switching(int32_t mode) const
    {
        return on.load(std::memory_order_relaxed) != previous_on &&
               prepared.load(std::memory_order_relaxed) &&
               this->mode.load(std::memory_order_relaxed) == mode;
    }

    static ZR_value m_before(ZR_Effect *e, ZR_value v);
    static ZR_value m_mode(ZR_Effect *e, ZR_value v);
    static ZR_value m_clock(ZR_Effect *e, ZR_value v);
    static ZR_value m_on(ZR_Effect *e, ZR_value v);
    static ZR_value m_debug(ZR_Effect *e, ZR_value v);
    static ZR_value m_delete(ZR_Effect *e, ZR_value v);
};

extern const ZR_option ZR_Effect_options[];
