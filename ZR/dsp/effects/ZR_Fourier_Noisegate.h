// ZR_Fourier_Noisegate: a spectral-subtraction gate. It learns the noise
// magnitude per bin, turns the gate's gains into a filter of M taps and
// applies it to the signal's spectrum by two-part convolution. It owns its
// transforms, its delay line and their buffers and runs them itself; they
// are not members of any pipe.
#pragma once
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Owned_Buffer.h"
#include "ZR/dsp/ZR_edit_guard.h"
#include "ZR/dsp/ZR_options_util.h"
#include "ZR/dsp/effects/ZR_Effect_Deline.h"
#include "ZR/dsp/effects/ZR_Fourier_Transform.h"

class ZR_Fourier_Noisegate : public ZR_Effect {
public:
    static constexpr int32_t kGainOne = 2097151; // just under 2^21 = 1.0

    ZR_buffer_slot spectrum{nullptr}; // X, 2M samples
    ZR_buffer_slot signal{nullptr};
    ZR_buffer_slot output1{nullptr}; // filtered with the previous gate
    ZR_buffer_slot output2{nullptr}; // filtered with the new gate
    std::atomic<bool> adapt{false};
    int32_t L = 5;

    ZR_Owned_Buffer *noise = nullptr;   // M/2 + 1 magnitudes
    ZR_Owned_Buffer *gain = nullptr;    // 2M samples, (g, 0) pairs
    ZR_Owned_Buffer *delayed = nullptr; // the signal, 513 samples late
    ZR_Owned_Buffer *half = nullptr;    // one half of the impulse response, zero padded
    ZR_Owned_Buffer *made1 = nullptr;   // outputs created by querying o1, o2
    ZR_Owned_Buffer *made2 = nullptr;
    ZR_Fourier_Transform *impulse;
    ZR_Fourier_Transform *partA;
    ZR_Fourier_Transform *partB;
    ZR_Fourier_Transform *analysis;
    ZR_Fourier_Transform *lagged;
    ZR_Effect_Deline *delay;
    ZR_edit_guard guard;

    ZR_Fourier_Noisegate();
    ~ZR_Fourier_Noisegate() override;

    void process() override;

    static ZR_value m_i(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_o1(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_o2(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_s(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_a(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_w(ZR_Fourier_Noisegate *e, ZR_value v);
    static ZR_value m_delete(ZR_Fourier_Noisegate *e, ZR_value v);

private:
    void set_order(int32_t order);
    void unity();
    void filter(const int32_t *X, const int32_t *Y, ZR_Buffer *out);
    void design(const int32_t *Z);
    static ZR_value output_option(ZR_Fourier_Noisegate *e, ZR_buffer_slot &slot,
                                  ZR_Owned_Buffer *&made, ZR_value v);
};

extern const ZR_option ZR_Fourier_Noisegate_options[];
