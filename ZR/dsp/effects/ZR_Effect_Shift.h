// Pitch shifters: two read heads T apart move through a delay ring and
// cross-fade, so the pitch changes by the factor 1 - s / 16384.
// ZR_Effect_Shift normalises the mix and subtracts a compensation term read
// from its own output.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Nshift : public ZR_Effect_Inout {
public:
    static constexpr uint32_t kRing = 8192;
    // Window limits (14 fractional bits): both heads must stay in the ring.
    static constexpr int32_t kMaxWindow = (int32_t)(kRing - 2) * 16384 / 2;

    uint32_t w = 0;
    std::atomic<int32_t> p{0};       // head position, 14 fractional bits
    std::atomic<int32_t> s{0};       // speed
    std::atomic<int32_t> T{1 << 23}; // window
    int32_t A[kRing] = {};
    int32_t B[kRing] = {};

    ZR_Effect_Nshift();
    void process() override;
    void clockChanged() override;
    void reset() override;

    static ZR_value m_s(ZR_Effect_Nshift *e, ZR_value v);
    static ZR_value m_p(ZR_Effect_Nshift *e, ZR_value v);

protected:
    template <bool Compensated>
    void run();
};

class ZR_Effect_Shift : public ZR_Effect_Nshift {
public:
    ZR_Effect_Shift();
    void process() override;
};

extern const ZR_option ZR_Effect_Shift_options[];
extern const ZR_option ZR_Effect_Nshift_options[];
