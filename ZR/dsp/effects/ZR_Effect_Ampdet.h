// ZR_Effect_Ampdet: envelope follower with attack and release given in Hz,
// plus an optional rectified output.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Ampdet : public ZR_Effect_Inout {
public:
    ZR_buffer_slot rectified{nullptr}; // |in|
    std::atomic<float> f1{0.0f};       // attack frequency
    std::atomic<float> f2{0.0f};       // release frequency
    std::atomic<int32_t> attack{0};    // 2^31 = 1.0
    std::atomic<int32_t> release{0};
    int32_t e = 0;

    ZR_Effect_Ampdet();
    void process() override;
    void clockChanged() override;
    void reset() override { e = 0; }

    static ZR_value m_a(ZR_Effect_Ampdet *e, ZR_value v);
    static ZR_value m_f1(ZR_Effect_Ampdet *e, ZR_value v);
    static ZR_value m_f2(ZR_Effect_Ampdet *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Ampdet_options[];
