// ZR_Effect_Zero: clears its output block every block.
#pragma once
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Zero : public ZR_Effect {
public:
    ZR_buffer_slot output{nullptr};

    ZR_Effect_Zero();
    void process() override;

    static ZR_value m_o(ZR_Effect_Zero *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Zero_options[];
