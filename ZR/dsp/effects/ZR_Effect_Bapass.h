// Second-order band-pass between the corners f * q and f / q, in fixed or
// floating point.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

#include <atomic>
#include <cstdint>

struct ZR_bandpass_coefficients {
    double c1, c2, c3;
    int32_t k1, k2, k3; // c1 * 2^30, c2 * 2^31, c3 * 2^31
};

// The coefficients for centre frequency f, ratio q and sample rate fs;
// false when they cannot be formed (q 0 or 1, f 0, fs 0, or no finite
// result), in which case the old ones stay in force.
bool ZR_bandpass_design(float f, float q, int32_t fs, ZR_bandpass_coefficients *out);
// The same for n frequencies at once: ok[i] tells whether out[i] was formed
// (out[i] is left alone when it was not).
void ZR_bandpass_designs(const float *f, int32_t n, float q, int32_t fs,
                         ZR_bandpass_coefficients *out, bool *ok);

// A design already made for (f, q, fs); ok false when it could not be formed.
struct ZR_bandpass_known {
    float f, q;
    int32_t fs;
    bool ok;
    ZR_bandpass_coefficients c;
};

class ZR_Effect_Bapass : public ZR_Effect_Inout {
public:
    std::atomic<float> frequency{0.0f};
    std::atomic<float> q{0.0f};
    std::atomic<double> c1{0.0}, c2{0.0}, c3{0.0};
    std::atomic<int32_t> k1{0}, k2{0}, k3{0};
    int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;            // fixed-point state
    double fx1 = 0.0, fx2 = 0.0, fy1 = 0.0, fy2 = 0.0; // floating-point state
    std::atomic<bool> floating{false};

    ZR_Effect_Bapass();
    void process() override;
    void clockChanged() override { compute_coefficients(); }
    void reset() override;
    // From frequency, q and clock; a known design for those inputs is taken
    // as it is instead of being formed again.
    void compute_coefficients(const ZR_bandpass_known *known = nullptr);
    // What m_f does for known.f, with its design known.
    void set_frequency(const ZR_bandpass_known &known);

    // The band-pass behind e, or null when e is another class.
    static ZR_Effect_Bapass *of(ZR_Effect *e);
    // Hands the fixed-point state to a kernel run by the caller: false (s
    // untouched) unless the section runs steadily (or, with switching,
    // switches) in `mode` from in to out.
    bool export_state(const ZR_Buffer *in, const ZR_Buffer *out, int32_t mode, ZR_bandpass_state &s,
                      bool switching = false) const;
    // Takes the state back after that run.
    void import_state(const ZR_bandpass_state &s);

    static ZR_value m_f(ZR_Effect_Bapass *e, ZR_value v);
    static ZR_value m_q(ZR_Effect_Bapass *e, ZR_value v);
    static ZR_value m_a(ZR_Effect_Bapass *e, ZR_value v);

private:
    void process_floating(const int32_t *in, int32_t *out, int32_t n);
};

extern const ZR_option ZR_Effect_Bapass_options[];

inline bool ZR_Effect_Bapass::export_state(const ZR_Buffer *in, const ZR_Buffer *out, int32_t mode,
                                           ZR_bandpass_state &s, bool switching) const
{
    if (!(switching ? this->switching(mode) : steady(mode)) || zr_get(input) != in ||
        zr_get(output) != out || floating.load(std::memory_order_relaxed))
        return false;
    s = {k1.load(std::memory_order_relaxed),
         k2.load(std::memory_order_relaxed),
         k3.load(std::memory_order_relaxed),
         x1,
         x2,
         y1,
         y2};
    return true;
}

inline void ZR_Effect_Bapass::import_state(const ZR_bandpass_state &s)
{
    x1 = s.x1;
    x2 = s.x2;
    y1 = s.y1;
    y2 = s.y2;
}

inline ZR_Effect_Bapass *ZR_Effect_Bapass::of(ZR_Effect *e)
{
    return e && e->options == ZR_Effect_Bapass_options ? static_cast<ZR_Effect_Bapass *>(e)
                                                       : nullptr;
}
