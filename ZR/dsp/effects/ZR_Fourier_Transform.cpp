// ZR_Fourier_Transform: window ring, bit-reversed loading, the radix-2
// passes and their timing.
#include "ZR/dsp/effects/ZR_Fourier_Transform.h"
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstdio>
#include <utility>

const ZR_option ZR_Fourier_Transform_options[] = {
    ZR_OPTION_CTOR(ZR_Fourier_Transform),    ZR_OPTION(ZR_Fourier_Transform, i),
    ZR_OPTION(ZR_Fourier_Transform, w),      ZR_OPTION(ZR_Fourier_Transform, d),
    ZR_OPTION(ZR_Fourier_Transform, win),    ZR_OPTION(ZR_Fourier_Transform, s),
    ZR_OPTION(ZR_Fourier_Transform, delete), ZR_OPTION_END(ZR_Effect_options),
};

ZR_Fourier_Transform::ZR_Fourier_Transform() : taper(), reversed()
{
    options = ZR_Fourier_Transform_options;
    kernel_twiddle_init();
}

ZR_Fourier_Transform::~ZR_Fourier_Transform()
{
    ZR_owned_buffer_free(&window);
    ZR_owned_buffer_free(&output);
}

bool ZR_Fourier_Transform::set_order(int32_t order)
{
    if (order < 0 || order > kMaxOrder)
        return false;
    ZR_edit_lock lock(guard);
    L = order;
    const int32_t m = points();
    ZR_owned_buffer_size(&window, m);
    ZR_owned_buffer_size(&output, 2 * m);
    for (int32_t i = 0; i < m; ++i) {
        const double s = std::sin(ZR_PI * i / m);
        taper[i] = s * s;
        uint32_t r = 0;
        for (int32_t b = 0; b <= L; ++b)
            r |= (uint32_t)((i >> b) & 1) << (L - b);
        reversed[i] = (uint16_t)r;
    }
    return true;
}

void ZR_Fourier_Transform::timed_passes(bool inverse)
{
    kernel_ticks(ticks_last, ticks_delta);
    if (inverse)
        kernel_fft_backward(output->data, L);
    else
        kernel_fft_forward(output->data, L);
    kernel_ticks(ticks_last, ticks_delta);
    average = ticks_delta * 0.01 + average * 0.99;
    counter = (counter + 1) % 100;
    if (counter == 0 && debug.load(std::memory_order_relaxed))
        std::printf("%f\n", average);
}

void ZR_Fourier_Transform::forward(const int32_t *in, int32_t n)
{
    if (!window || !output || window->length < points() || output->length < 2 * points())
        return;
    const uint32_t mask = (uint32_t)points() - 1;
    int32_t *ring = window->data;
    uint32_t pos = (uint32_t)window->position & mask;
    for (int32_t i = 0; i < n; ++i) {
        ring[pos] = in[i];
        pos = (pos + 1) & mask;
    }
    window->position = (int32_t)pos;
    int32_t *out = output->data;
    const bool taper_on = sine.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i <= mask; ++i) {
        int32_t v = ring[(pos + i) & mask];
        if (taper_on)
            v = (int32_t)(v * taper[i]);
        const uint32_t o = reversed[i];
        out[2 * o] = v;
        out[2 * o + 1] = 0;
    }
    timed_passes(false);
}

void ZR_Fourier_Transform::backward_from(const int32_t *in)
{
    if (!output || output->length < 2 * points())
        return;
    const int32_t m = points();
    int32_t *out = output->data;
    if (in == out) {
        // Bit reversal is its own inverse: swap pairs once.
        for (int32_t i = 0; i < m; ++i) {
            const int32_t o = reversed[i];
            if (i < o) {
                std::swap(out[2 * i], out[2 * o]);
                std::swap(out[2 * i + 1], out[2 * o + 1]);
            }
        }
        for (int32_t i = 0; i < m; ++i)
            out[2 * i + 1] = (int32_t)(0u - (uint32_t)out[2 * i + 1]);
    }
    else {
        for (int32_t i = 0; i < m; ++i) {
            const int32_t o = reversed[i];
            out[2 * o] = in[2 * i];
            out[2 * o + 1] = (int32_t)(0u - (uint32_t)in[2 * i + 1]);
        }
    }
    timed_passes(true);
}

void ZR_Fourier_Transform::process()
{
    if (!guard.try_lock())
        return;
    ZR_Buffer *b = zr_get(input);
    if (backward.load(std::memory_order_relaxed)) {
        // Spectra are read directly, like every consumer of a spectrum.
        if (b && b->data && zr_length(b) >= 2 * points())
            backward_from(b->data);
    }
    else {
        int32_t n = zr_length(b);
        const int32_t *in = samples(b);
        if (in)
            forward(in, n);
    }
    guard.unlock();
}

ZR_value ZR_Fourier_Transform::m_i(ZR_Fourier_Transform *e, ZR_value v)
{
    return zr_buffer_option(e->input, v);
}

ZR_value ZR_Fourier_Transform::m_w(ZR_Fourier_Transform *e, ZR_value)
{
    return ZR_value::of_object(e->output);
}

namespace {

// A switch set by one of two words; other text leaves it, and the answer is
// the word for its state.
ZR_value word_switch(std::atomic<bool> &on, ZR_value v, const char *off_word, const char *on_word)
{
    if (v.type == ZR_TYPE_TEXT && v.value.s) {
        if (spcpp_same_word(v.value.s, off_word))
            on.store(false, std::memory_order_relaxed);
        else if (spcpp_same_word(v.value.s, on_word))
            on.store(true, std::memory_order_relaxed);
    }
    return ZR_value::of_text(on.load(std::memory_order_relaxed) ? on_word : off_word);
}

} // namespace

ZR_value ZR_Fourier_Transform::m_d(ZR_Fourier_Transform *e, ZR_value v)
{
    return word_switch(e->backward, v, "forward", "backward");
}

ZR_value ZR_Fourier_Transform::m_win(ZR_Fourier_Transform *e, ZR_value v)
{
    return word_switch(e->sine, v, "none", "sin");
}

ZR_value ZR_Fourier_Transform::m_s(ZR_Fourier_Transform *e, ZR_value v)
{
    // Orders above 11 would need a finer twiddle table: refused.
    if (v.is_number())
        e->set_order(v.to_int());
    return ZR_value::of_int(e->L);
}

ZR_value ZR_Fourier_Transform::m_delete(ZR_Fourier_Transform *e, ZR_value)
{
    delete e;
    return ZR_EMPTY;
}
