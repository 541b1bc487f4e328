// ZR_Effect_Dist: soft clipper with a drive, a soft share and a slowly
// tracked offset.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Dist : public ZR_Effect_Inout {
public:
    int32_t e = 0;                   // offset state
    std::atomic<int32_t> c{1 << 26}; // tracking coefficient
    std::atomic<float> k{0.0f};      // tracking rate
    std::atomic<int32_t> D{1 << 24}; // drive * 2^29
    std::atomic<int32_t> b{1 << 22}; // knee
    std::atomic<int32_t> a{1 << 23}; // limit
    std::atomic<uint32_t> flags{0};
    std::atomic<double> s{0.5}; // soft share

    ZR_Effect_Dist();
    void process() override;
    void clockChanged() override;
    void reset() override { e = 0; }

    static ZR_value m_d(ZR_Effect_Dist *e, ZR_value v);
    static ZR_value m_s(ZR_Effect_Dist *e, ZR_value v);
    static ZR_value m_k(ZR_Effect_Dist *e, ZR_value v);
    static ZR_value m_l(ZR_Effect_Dist *e, ZR_value v);

private:
    bool shape(int32_t drive, double share);
    void track();
};

extern const ZR_option ZR_Effect_Dist_options[];
