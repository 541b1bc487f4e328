// Generators: effects without an input that overwrite one output block per
// block. ZR_Gener_White makes white noise, ZR_Gener_Exp a level that holds
// for `beg` seconds and then decays by e every `time` seconds.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Gener : public ZR_Effect_Out {
public:
    ZR_Gener();
    // Starts the generated signal again.
    virtual void restart() {}
};

class ZR_Gener_White : public ZR_Gener {
public:
    ZR_Gener_White();
    void process() override;
};

class ZR_Gener_Exp : public ZR_Gener {
public:
    std::atomic<float> begin{0.0f}; // seconds at the top level
    std::atomic<float> time{0.0f};  // decay time constant
    std::atomic<int32_t> count{0};  // samples since the last restart

    ZR_Gener_Exp();
    void process() override;
    void restart() override { count.store(0, std::memory_order_relaxed); }

    static ZR_value m_beg(ZR_Gener_Exp *e, ZR_value v);
    static ZR_value m_time(ZR_Gener_Exp *e, ZR_value v);
};

extern const ZR_option ZR_Gener_options[];
extern const ZR_option ZR_Gener_White_options[];
extern const ZR_option ZR_Gener_Exp_options[];
