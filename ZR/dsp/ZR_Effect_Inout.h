// The base of effects that read one buffer and write another: the two
// buffer slots, their options and the per-block fetch of both blocks.
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

class ZR_Effect_Inout : public ZR_Effect {
public:
    ZR_buffer_slot input{nullptr};
    ZR_buffer_slot output{nullptr};

    // This block's input and output samples, through `samples` so that a
    // switching crossfade applies; n is 0 when either buffer is missing.
    ZR_blocks fetch_blocks();

    static ZR_value m_i(ZR_Effect_Inout *e, ZR_value v);
    static ZR_value m_o(ZR_Effect_Inout *e, ZR_value v);
};
