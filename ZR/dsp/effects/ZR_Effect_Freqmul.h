// Frequency multipliers: each input period is written k times into a ring
// that is read back k times as fast. ZR_Effect_Nefreqmul alternates mirrored
// and forward repeats and checks each zero crossing's slope.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

// Factors beyond this would read past the write position of the rings.
constexpr int32_t ZR_FREQMUL_MAX_FACTOR = 16;

class ZR_Effect_Freqmul : public ZR_Effect_Inout {
public:
    static constexpr uint32_t kRing = 16384;

    std::atomic<int32_t> k{2};
    const float lookback = 0.02f; // seconds
    uint32_t w = 0, r = 0, c = 0;
    int32_t previous = -1;
    int32_t ring[kRing] = {};

    ZR_Effect_Freqmul();
    void process() override;

    static ZR_value m_k(ZR_Effect_Freqmul *e, ZR_value v);
};

class ZR_Effect_Nefreqmul : public ZR_Effect_Inout {
public:
    static constexpr uint32_t kRing = 32768;

    std::atomic<int32_t> k{2};
    const float lookback = 0.02f;
    uint32_t w = 0, r = 0, c = 0;
    int32_t last = -1;
    double s = 0.0;                // average rise at accepted crossings
    std::atomic<double> rand{0.6}; // lowest accepted slope ratio
    std::atomic<double> stab{0.7}; // slope smoothing
    int32_t ring[kRing] = {};

    ZR_Effect_Nefreqmul();
    void process() override;
    void reset() override;

    static ZR_value m_k(ZR_Effect_Nefreqmul *e, ZR_value v);
    static ZR_value m_rand(ZR_Effect_Nefreqmul *e, ZR_value v);
    static ZR_value m_stab(ZR_Effect_Nefreqmul *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Freqmul_options[];
extern const ZR_option ZR_Effect_Nefreqmul_options[];
