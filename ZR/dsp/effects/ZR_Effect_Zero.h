// ZR_Effect_Zero: clears its output block every block.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Zero : public ZR_Effect_Out {
public:
    ZR_Effect_Zero();
    void process() override;
};

extern const ZR_option ZR_Effect_Zero_options[];
