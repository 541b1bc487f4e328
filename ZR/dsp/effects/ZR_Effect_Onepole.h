// One-pole filters: ZR_Effect_Lopass and ZR_Effect_Hipass share their layout.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

#include <atomic>
#include <cstdint>

// Tables of the options; each constructor installs its class's.
extern const ZR_option ZR_Effect_Lopass_options[];
extern const ZR_option ZR_Effect_Hipass_options[];

// An alpha already formed for (f, fs); ok false when it could not be.
struct ZR_onepole_known {
    int32_t f, fs;
    bool ok;
    uint32_t alpha;
};

class ZR_Effect_Onepole : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> frequency{0}; // Hz
    std::atomic<uint32_t> alpha{0};    // smoothing factor, alpha / 2^32
    int32_t b = 0;                     // filter state (audio thread)

    void clockChanged() override { compute_alpha(); }
    void reset() override { b = 0; }

    // alpha from frequency and clock; keeps the old value when either is 0
    // or the formula has no finite result.
    // A known alpha for those inputs is taken as it is instead of being
    // formed again.
    void compute_alpha(const ZR_onepole_known *known = nullptr);
    // What m_f does for the whole frequency known.f, with its alpha known.
    void set_frequency(const ZR_onepole_known &known);

    static ZR_value m_f(ZR_Effect_Onepole *e, ZR_value v);
};

// alpha = truncate(f * pi * 2^32 / (f * pi + fs / 2)) in extended precision,
// low 32 bits kept; false when there is no finite result to keep.
bool ZR_onepole_alpha(int32_t frequency, int32_t clock, uint32_t *alpha);
// The same for n frequencies at once: ok[i] tells whether alpha[i] was
// formed (alpha[i] is left alone when it was not).
void ZR_onepole_alphas(const int32_t *frequency, int32_t n, int32_t clock, uint32_t *alpha,
                       bool *ok);

class ZR_Effect_Lopass : public ZR_Effect_Onepole {
public:
    ZR_Effect_Lopass() { options = ZR_Effect_Lopass_options; }
    void process() override;

    // The low-pass behind e, or null when e is another class.
    static ZR_Effect_Lopass *of(ZR_Effect *e);
    // Hands the state to a kernel run by the caller: false (s untouched)
    // unless the filter runs steadily (or, with switching, switches) in
    // `mode` from in to out.
    bool export_state(const ZR_Buffer *in, const ZR_Buffer *out, int32_t mode, ZR_onepole_state &s,
                      bool switching = false) const;
    // Takes the state back after that run.
    void import_state(const ZR_onepole_state &s) { b = s.b; }
};

class ZR_Effect_Hipass : public ZR_Effect_Onepole {
public:
    ZR_Effect_Hipass() { options = ZR_Effect_Hipass_options; }
    void process() override;
};

inline ZR_Effect_Lopass *ZR_Effect_Lopass::of(ZR_Effect *e)
{
    return e && e->options == ZR_Effect_Lopass_options ? static_cast<ZR_Effect_Lopass *>(e)
                                                       : nullptr;
}

inline bool ZR_Effect_Lopass::export_state(const ZR_Buffer *in, const ZR_Buffer *out, int32_t mode,
                                           ZR_onepole_state &s, bool switching) const
{
    if (!(switching ? this->switching(mode) : steady(mode)) || zr_get(input) != in ||
        zr_get(output) != out)
        return false;
    s = {alpha.load(std::memory_order_relaxed), b};
    return true;
}
