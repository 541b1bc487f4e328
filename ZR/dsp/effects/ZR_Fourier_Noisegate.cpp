// ZR_Fourier_Noisegate: noise estimate, gate design and the two-part
// frequency-domain filter.
#include "ZR/dsp/effects/ZR_Fourier_Noisegate.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

const ZR_option ZR_Fourier_Noisegate_options[] = {
    ZR_OPTION_CTOR(ZR_Fourier_Noisegate), ZR_OPTION(ZR_Fourier_Noisegate, i),
    ZR_OPTION(ZR_Fourier_Noisegate, o1),  ZR_OPTION(ZR_Fourier_Noisegate, o2),
    ZR_OPTION(ZR_Fourier_Noisegate, s),   ZR_OPTION(ZR_Fourier_Noisegate, a),
    ZR_OPTION(ZR_Fourier_Noisegate, w),   ZR_OPTION(ZR_Fourier_Noisegate, delete),
    ZR_OPTION_END(ZR_Effect_options),
};

namespace {

// Parts run only inside the gate's own process.
template <class T>
T *private_part(T *part)
{
    if (part->link.list)
        part->link.list->remove(&part->link);
    part->pipe = nullptr;
    return part;
}

ZR_Fourier_Transform *make_transform(bool backward, bool sine)
{
    ZR_Fourier_Transform *t = private_part(new ZR_Fourier_Transform());
    t->backward.store(backward, std::memory_order_relaxed);
    t->sine.store(sine, std::memory_order_relaxed);
    return t;
}

int32_t bit_length(int32_t r)
{
    int32_t bits = 0;
    while (r > 0) {
        ++bits;
        r >>= 1;
    }
    return bits;
}

} // namespace

ZR_Fourier_Noisegate::ZR_Fourier_Noisegate()
{
    options = ZR_Fourier_Noisegate_options;
    ZR_owned_buffer_size(&noise, 0);
    ZR_owned_buffer_size(&gain, 0);
    ZR_owned_buffer_size(&delayed, 0);
    ZR_owned_buffer_size(&half, 0);
    impulse = make_transform(true, false);
    impulse->input.store(gain, std::memory_order_relaxed);
    partA = make_transform(false, false);
    partA->input.store(half, std::memory_order_relaxed);
    partB = make_transform(false, false);
    partB->input.store(half, std::memory_order_relaxed);
    analysis = make_transform(false, true);
    lagged = make_transform(false, false);
    lagged->input.store(delayed, std::memory_order_relaxed);
    delay = private_part(new ZR_Effect_Deline());
    ZR_Effect_Deline::m_g(delay, ZR_EMPTY);
    ZR_Effect_Deline::m_ga(delay, ZR_value::of_float(1.0f));
    ZR_Effect_Deline::m_go(delay, ZR_value::of_object(delayed));
    ZR_Effect_Deline::m_d(delay, ZR_EMPTY);
    ZR_Effect_Deline::m_da(delay, ZR_value::of_float(1.0f));
    ZR_Effect_Deline::m_dt(delay, ZR_value::of_int(512));
    set_order(5);
}

ZR_Fourier_Noisegate::~ZR_Fourier_Noisegate()
{
    delete delay;
    delete impulse;
    delete partA;
    delete partB;
    delete analysis;
    delete lagged;
    ZR_owned_buffer_free(&made1);
    ZR_owned_buffer_free(&made2);
    ZR_owned_buffer_free(&noise);
    ZR_owned_buffer_free(&gain);
    ZR_owned_buffer_free(&delayed);
    ZR_owned_buffer_free(&half);
}

void ZR_Fourier_Noisegate::set_order(int32_t order)
{
    L = order;
    const int32_t m = 2 << order;
    for (ZR_Fourier_Transform *t : {impulse, partA, partB, analysis, lagged})
        t->set_order(order);
    ZR_owned_buffer_size(&noise, m / 2 + 1);
    ZR_owned_buffer_size(&gain, 2 * m);
    ZR_owned_buffer_size(&half, m);
    unity();
}

void ZR_Fourier_Noisegate::unity()
{
    if (noise)
        std::memset(noise->data, 0, sizeof(int32_t) * (size_t)noise->length);
    if (gain)
        for (int32_t j = 0; j + 1 < gain->length; j += 2) {
            gain->data[j] = kGainOne;
            gain->data[j + 1] = 0;
        }
}

// out = Y conj(HB') + X conj(HA'), H' = H * 1024 / (2^31 - 1).
void ZR_Fourier_Noisegate::filter(const int32_t *X, const int32_t *Y, ZR_Buffer *out)
{
    const int32_t m = 2 << L;
    if (!out || !out->data || zr_length(out) < 2 * m)
        return;
    const double scale = 1024.0 / 2147483647.0;
    const int32_t *HA = partA->output->data, *HB = partB->output->data;
    int32_t *o = out->data;
    for (int32_t k = 0; k < m; ++k) {
        const double ar = HA[2 * k] * scale, ai = HA[2 * k + 1] * scale;
        const double br = HB[2 * k] * scale, bi = HB[2 * k + 1] * scale;
        const double xr = X[2 * k], xi = X[2 * k + 1];
        const double yr = Y[2 * k], yi = Y[2 * k + 1];
        const double re = (yr * br + yi * bi) + (xr * ar + xi * ai);
        const double im = (yi * br - yr * bi) + (xi * ar - xr * ai);
        o[2 * k] = zr_trunc_sample(re);
        o[2 * k + 1] = zr_trunc_sample(im);
    }
}

// Gains 1 - noise / magnitude above the noise, 0 below; then the filter
// halves for the next block.
void ZR_Fourier_Noisegate::design(const int32_t *Z)
{
    const int32_t m = 2 << L;
    const bool learning = adapt.load(std::memory_order_relaxed);
    int32_t *nz = noise->data, *g = gain->data;
    for (int32_t j = 0; j <= m / 2; ++j) {
        const double re = Z[2 * j], im = Z[2 * j + 1];
        const double w = std::sqrt(re * re + im * im);
        const double old = nz[j];
        if (learning)
            nz[j] = zr_trunc_sample((w - old) * 0.1 + old);
        const double v = w > old ? w : old;
        const double u = v == 0.0 ? 1.0 : (v - old) / v;
        const double level = zr_trunc_sample(u * 2147483647.0) * 0.0009765625;
        const int32_t gj = zr_trunc_sample(level);
        g[2 * j] = gj;
        g[2 * j + 1] = 0;
        if (j > 0) {
            g[2 * (m - j)] = gj;
            g[2 * (m - j) + 1] = 0;
        }
    }
    impulse->backward_from(g);
    const int32_t *h = impulse->output->data;
    int32_t *in = half->data;
    for (ZR_Fourier_Transform *part : {partA, partB}) {
        const int32_t first = part == partA ? 0 : m / 2;
        for (int32_t i = 0; i < m / 2; ++i)
            in[i] = h[2 * (first + i)];
        std::memset(in + m / 2, 0, sizeof(int32_t) * (size_t)(m / 2));
        part->forward(in, m);
    }
}

void ZR_Fourier_Noisegate::process()
{
    if (!guard.try_lock())
        return;
    const int32_t m = 2 << L;
    ZR_Buffer *x = zr_get(spectrum), *sig = zr_get(signal);
    bool ready = x && x->data && zr_length(x) >= 2 * m && sig && noise && gain && delayed && half;
    for (ZR_Fourier_Transform *t : {impulse, partA, partB, analysis, lagged})
        ready = ready && t->output && t->window;
    if (ready) {
        const int32_t *X = x->data;
        const int32_t n = zr_min(zr_length(sig), zr_length(delayed));
        delay->prepare();
        if (delay->prepared.load(std::memory_order_relaxed))
            delay->process();
        if (n > 0)
            lagged->forward(delayed->data, n);
        const int32_t *Y = lagged->output->data;
        filter(X, Y, zr_get(output1));
        const int32_t *in = analysis->samples(sig);
        if (in && n > 0)
            analysis->forward(in, n);
        design(analysis->output->data);
        filter(X, Y, zr_get(output2));
    }
    guard.unlock();
}

ZR_value ZR_Fourier_Noisegate::m_i(ZR_Fourier_Noisegate *e, ZR_value v)
{
    ZR_Buffer *b = ZR_object_of<ZR_Buffer>(v);
    if (b) {
        // Spectra of 4 .. 8192 samples (orders 0 .. 11); others are refused.
        const int32_t order = bit_length(zr_length(b)) - 3;
        if (order >= 0 && order <= ZR_Fourier_Transform::kMaxOrder) {
            ZR_edit_lock lock(e->guard);
            e->spectrum.store(b, std::memory_order_relaxed);
            e->set_order(order);
            ZR_owned_buffer_size(&e->noise, zr_length(b) / 4 + 1);
            ZR_owned_buffer_size(&e->gain, zr_length(b));
            e->unity();
        }
    }
    return ZR_value::of_object(zr_get(e->spectrum));
}

ZR_value ZR_Fourier_Noisegate::m_s(ZR_Fourier_Noisegate *e, ZR_value v)
{
    ZR_Buffer *b = ZR_object_of<ZR_Buffer>(v);
    if (b) {
        ZR_edit_lock lock(e->guard);
        e->signal.store(b, std::memory_order_relaxed);
        e->analysis->input.store(b, std::memory_order_relaxed);
        e->delay->input.store(b, std::memory_order_relaxed);
        ZR_owned_buffer_size(&e->delayed, zr_length(b));
    }
    return ZR_value::of_object(zr_get(e->signal));
}

ZR_value ZR_Fourier_Noisegate::output_option(ZR_Fourier_Noisegate *e, ZR_buffer_slot &slot,
                                             ZR_Owned_Buffer *&made, ZR_value v)
{
    if (v.type > ZR_TYPE_KEYWORD)
        return zr_buffer_option(slot, v);
    if (!zr_get(slot) && zr_get(e->spectrum)) {
        // Created on demand, owned (and deleted) by the gate.
        ZR_owned_buffer_size(&made, zr_length(zr_get(e->spectrum)));
        made->also = &slot;
        slot.store(made, std::memory_order_relaxed);
    }
    return ZR_value::of_object(zr_get(slot));
}

ZR_value ZR_Fourier_Noisegate::m_o1(ZR_Fourier_Noisegate *e, ZR_value v)
{
    return output_option(e, e->output1, e->made1, v);
}

ZR_value ZR_Fourier_Noisegate::m_o2(ZR_Fourier_Noisegate *e, ZR_value v)
{
    return output_option(e, e->output2, e->made2, v);
}

ZR_value ZR_Fourier_Noisegate::m_a(ZR_Fourier_Noisegate *e, ZR_value v)
{
    if (v.is_number())
        e->adapt.store(v.to_double() != 0.0, std::memory_order_relaxed);
    return ZR_value::of_int(e->adapt.load(std::memory_order_relaxed) ? 1 : 0);
}

ZR_value ZR_Fourier_Noisegate::m_w(ZR_Fourier_Noisegate *e, ZR_value)
{
    return ZR_value::of_object(e->noise);
}

ZR_value ZR_Fourier_Noisegate::m_delete(ZR_Fourier_Noisegate *e, ZR_value)
{
    delete e;
    return ZR_EMPTY;
}
