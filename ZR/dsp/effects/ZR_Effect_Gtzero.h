// Clamping effects: ZR_Effect_Gtzero keeps max(in, l), ZR_Effect_Ltzero
// min(in, l); with l = 0 they keep the positive or negative half-waves.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

// What both clamps share: the level, its option and the clamping loop.
class ZR_Effect_Clamp : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> l{0};

    static ZR_value m_l(ZR_Effect_Clamp *e, ZR_value v);

protected:
    template <bool Greater>
    void clamp_block();
};

class ZR_Effect_Gtzero : public ZR_Effect_Clamp {
public:
    ZR_Effect_Gtzero();
    void process() override;
};

class ZR_Effect_Ltzero : public ZR_Effect_Clamp {
public:
    ZR_Effect_Ltzero();
    void process() override;
};

extern const ZR_option ZR_Effect_Gtzero_options[];
extern const ZR_option ZR_Effect_Ltzero_options[];
