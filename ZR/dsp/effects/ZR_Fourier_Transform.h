// ZR_Fourier_Transform: the spectrum of the last M = 2^(L+1) input samples
// (forward), or the time signal of a spectrum of M complex values (backward),
// in fixed point with the shared twiddle table.
#pragma once
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Owned_Buffer.h"
#include "ZR/dsp/ZR_edit_guard.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Fourier_Transform : public ZR_Effect {
public:
    static constexpr int32_t kMaxOrder = 11; // the twiddle table's reach
    static constexpr int32_t kMaxPoints = 2 << kMaxOrder;

    ZR_buffer_slot input{nullptr};
    ZR_Owned_Buffer *window = nullptr; // ring of the last M samples
    ZR_Owned_Buffer *output = nullptr; // M complex values
    int32_t L = 0;
    std::atomic<bool> backward{false};
    std::atomic<bool> sine{false};
    double average = 0.0; // cycles per transform
    int32_t counter = 0;
    uint32_t ticks_last = 0, ticks_delta = 0;
    ZR_edit_guard guard;
    double taper[kMaxPoints];      // sin(pi i / M)^2
    uint16_t reversed[kMaxPoints]; // bit reversal of the lowest L + 1 bits

    ZR_Fourier_Transform();
    ~ZR_Fourier_Transform() override;

    void process() override;

    // Sets the order and sizes the owned buffers; false (nothing changed)
    // outside 0..11.
    bool set_order(int32_t order);
    int32_t points() const { return 2 << L; }
    // Appends n samples to the window and transforms it.
    void forward(const int32_t *in, int32_t n);
    // Transforms the conjugate of M complex values (in may be the output).
    void backward_from(const int32_t *in);

    static ZR_value m_i(ZR_Fourier_Transform *e, ZR_value v);
    static ZR_value m_w(ZR_Fourier_Transform *e, ZR_value v);
    static ZR_value m_d(ZR_Fourier_Transform *e, ZR_value v);
    static ZR_value m_win(ZR_Fourier_Transform *e, ZR_value v);
    static ZR_value m_s(ZR_Fourier_Transform *e, ZR_value v);
    static ZR_value m_delete(ZR_Fourier_Transform *e, ZR_value v);

private:
    void timed_passes(bool inverse);
};

extern const ZR_option ZR_Fourier_Transform_options[];
