// ZR_Effect_Lgd: adaptive smoother that holds the output near a target
// level c once the input has risen above it.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

// Tables of the options; each constructor installs its class's.
extern const ZR_option ZR_Effect_Lgd_options[];

class ZR_Effect_Lgd : public ZR_Effect_Inout {
public:
    double L = 0.0;             // level
    std::atomic<double> c{0.1}; // target

    ZR_Effect_Lgd() { options = ZR_Effect_Lgd_options; }
    void process() override;
    void reset() override { L = 0.0; }

    static ZR_value m_c(ZR_Effect_Lgd *e, ZR_value v);
};
