// Clamping effects: ZR_Effect_Gtzero keeps max(in, l), ZR_Effect_Ltzero
// min(in, l); with l = 0 they keep the positive or negative half-waves.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Gtzero : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> l{0};

    ZR_Effect_Gtzero();
    void process() override;

    static ZR_value m_l(ZR_Effect_Gtzero *e, ZR_value v);
};

class ZR_Effect_Ltzero : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> l{0};

    ZR_Effect_Ltzero();
    void process() override;

    static ZR_value m_l(ZR_Effect_Ltzero *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Gtzero_options[];
extern const ZR_option ZR_Effect_Ltzero_options[];
