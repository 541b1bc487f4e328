// Arithmetic effects: ZR_Effect_Oper combines two buffers, ZR_Effect_Koef a
// buffer and a constant, by add, sub, mul or div in any output mode.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

extern const char *const ZR_oper_names[4];

// Tables of the options; each constructor installs its class's.
extern const ZR_option ZR_Effect_Oper_options[];
extern const ZR_option ZR_Effect_Koef_options[];

class ZR_Effect_Oper : public ZR_Effect_Out {
public:
    ZR_buffer_slot input1{nullptr};
    ZR_buffer_slot input2{nullptr};
    std::atomic<int32_t> oper{ZR_OPER_ADD};

    ZR_Effect_Oper() { options = ZR_Effect_Oper_options; }
    void process() override;

    static ZR_value m_i1(ZR_Effect_Oper *e, ZR_value v);
    static ZR_value m_i2(ZR_Effect_Oper *e, ZR_value v);
    static ZR_value m_oper(ZR_Effect_Oper *e, ZR_value v);
};

class ZR_Effect_Koef : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> oper{ZR_OPER_ADD};
    std::atomic<int32_t> K{0}; // k * 2^31 / 127

    ZR_Effect_Koef() { options = ZR_Effect_Koef_options; }
    void process() override;

    static ZR_value m_oper(ZR_Effect_Koef *e, ZR_value v);
    static ZR_value m_k(ZR_Effect_Koef *e, ZR_value v);
};
