// The bases of effects that write one buffer, or read one buffer and write
// another: the slots, their options and the per-block fetch of the blocks.
#pragma once
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_options_util.h"

#include <cstdint>

// One block's samples: n is how many both in and out hold.
struct ZR_blocks {
    const int32_t *in;
    int32_t *out;
    int32_t n;
};
struct ZR_out_block {
    int32_t *out;
    int32_t n;
};

class ZR_Effect_Out : public ZR_Effect {
public:
    ZR_buffer_slot output{nullptr};

    // This block's output samples, through `samples`; n is 0 without a
    // buffer.
    ZR_out_block fetch_output();

    static ZR_value m_o(ZR_Effect_Out *e, ZR_value v);
};

class ZR_Effect_Inout : public ZR_Effect_Out {
public:
    ZR_buffer_slot input{nullptr};

    // This block's input and output samples, through `samples` so that a
    // switching crossfade applies; n is 0 when either buffer is missing.
    ZR_blocks fetch_blocks();

    static ZR_value m_i(ZR_Effect_Inout *e, ZR_value v);
};
