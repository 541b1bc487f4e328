// ZR_Effect_Oversam: eight-times up-sampling along a curve through the last
// input samples; the output buffer sets the loop length.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Oversam : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> k{1}; // stored and reported only
    int32_t P0 = 0, P1 = 0, P2 = 0, D0 = 0, D1 = 0;

    ZR_Effect_Oversam();
    void process() override;
    void reset() override { P0 = P1 = P2 = D0 = D1 = 0; }

    static ZR_value m_k(ZR_Effect_Oversam *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Oversam_options[];
