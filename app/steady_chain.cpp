// One pipe block of the graph in a single pass when every effect runs
// steadily in the role build gave it: the effects hand their state to the
// fused cascade kernel and take it back afterwards.
#include "app/ZR_Application.h"

#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/dsp/effects/ZR_Effect_Copy.h"
#include "ZR/dsp/effects/ZR_Effect_Onepole.h"

#include <algorithm>
#include <type_traits>

namespace {

bool copies(ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    const ZR_Effect_Copy *c = ZR_Effect_Copy::of(e);
    return c && c->copies_plainly(in, out);
}

bool follows_pipe(const ZR_Buffer *b, int32_t k)
{
    return b->requested == -1 && b->length >= k && b->block_state == 0;
}

} // namespace

bool ZR_Application::steady_chain_state(int32_t k, SteadyChain &c, bool switching)
{
    if (!pipe || pipe->effects.count != 6)
        return false;
    // Built order, built roles, nothing switching.
    const ZR_Effect *order[] = {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy};
    const ZR_Chain_Item *item = pipe->effects.first();
    for (const ZR_Effect *e : order) {
        if (!e || item->owner != e)
            return false;
        item = item->next;
    }
    c.low[0] = ZR_Effect_Lopass::of(lowpass1);
    c.low[1] = ZR_Effect_Lopass::of(lowpass2);
    c.band[0] = ZR_Effect_Bapass::of(bandpass1);
    c.band[1] = ZR_Effect_Bapass::of(bandpass2);
    if (!c.low[0] || !c.low[1] || !c.band[0] || !c.band[1])
        return false;
    // Coefficients read once: option handlers may replace them meanwhile.
    ZR_cascade4_state &s = c.state;
    if (!copies(input_copy, buf_i, lpf_buffer) ||
        !c.low[0]->export_state(buf_i, lpf_buffer1, ZR_MODE_SET, s.low[0], switching) ||
        !c.band[0]->export_state(buf_i, lpf_buffer1, ZR_MODE_SUB, s.band[0], switching) ||
        !c.low[1]->export_state(lpf_buffer1, lpf_buffer, ZR_MODE_SET, s.low[1], switching) ||
        !c.band[1]->export_state(lpf_buffer1, lpf_buffer, ZR_MODE_SUB, s.band[1], switching) ||
        !copies(output_copy, lpf_buffer, buf_o) || !kernel_cascade4_usable(s))
        return false;
    for (const ZR_Buffer *b : {buf_i, lpf_buffer, lpf_buffer1, buf_o})
        if (!follows_pipe(b, k))
            return false;
    return true;
}

void ZR_Application::finish_steady_chain(int32_t k, SteadyChain &c)
{
    std::copy(lpf_buffer->data, lpf_buffer->data + k, buf_o->data);
    for (int i = 0; i < 2; ++i) {
        c.low[i]->import_state(c.state.low[i]);
        c.band[i]->import_state(c.state.band[i]);
    }
}

void ZR_Application::begin_steady_block(int32_t k)
{
    pipe->block_length = k;
    for (ZR_Effect *e : {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy})
        e->begin_block();
}

bool ZR_Application::run_steady_chain(int32_t k)
{
    SteadyChain c;
    if (!steady_chain_state(k, c))
        return false;
    begin_steady_block(k);
    if (k < 1)
        return true;
    kernel_cascade4(buf_i->data, lpf_buffer1->data, lpf_buffer->data, k, c.state);
    finish_steady_chain(k, c);
    return true;
}

bool ZR_Application::run_switching_chain(int32_t k)
{
    SteadyChain c;
    if (k < 1 || !steady_chain_state(k, c, true))
        return false;
    ZR_Effect *filters[] = {lowpass1, bandpass1, lowpass2, bandpass2};
    const bool turning_on = !filters[0]->previous_on;
    begin_steady_block(k);
    for (ZR_Effect *e : filters)
        if (e->block_on != turning_on || e->previous_on == turning_on)
            return false; // switched meanwhile: the pipe sorts it out
    // The wet signal where the pipe leaves it (the shadow half), then the
    // output copy's fade between the input and it.
    int32_t *wet = lpf_buffer->shadow;
    kernel_cascade4(buf_i->data, lpf_buffer1->data, wet, k, c.state);
    if (turning_on)
        kernel_blend(buf_i->data, wet, lpf_buffer->data, k);
    else
        kernel_blend(wet, buf_i->data, lpf_buffer->data, k);
    finish_steady_chain(k, c);
    for (ZR_Effect *e : filters) {
        if (!turning_on)
            e->reset();
        e->previous_on = turning_on;
    }
    return true;
}

namespace {

// What the filters' option handlers would compute for a glide frequency.
// Each design is kept until its inputs change, and both stages share one
// when their inputs are the same.
class GlideDesign {
public:
    GlideDesign(const ZR_Effect_Lopass *const low[2], const ZR_Effect_Bapass *const band[2])
    {
        for (int i = 0; i < 2; ++i) {
            lows[i].fs = low[i]->clock.load(std::memory_order_relaxed);
            bands[i].fs = band[i]->clock.load(std::memory_order_relaxed);
            bands[i].q = band[i]->q.load(std::memory_order_relaxed);
        }
        low_shared = lows[1].fs == lows[0].fs;
        band_shared = bands[1].fs == bands[0].fs && bands[1].q == bands[0].q;
    }

    // Updates g's coefficients for hz; a coefficient that cannot be formed
    // keeps its value, as in the filters. ok[i] tells which were formed.
    void apply(double hz, ZR_cascade4_step &g, bool low_ok[2], bool band_ok[2])
    {
        // The option handlers take hz as ZR_value::of_float((float)hz): the
        // one-pole reads to_int() of it, the band-pass the float itself.
        const float f = (float)hz;
        const int32_t whole_hz = ZR_truncate_to_int(f);
        for (int i = 0; i < 2; ++i) {
            ZR_onepole_known &l = lows[i];
            if (i == 1 && low_shared)
                l = {whole_hz, l.fs, lows[0].ok, lows[0].alpha};
            else if (!low_made[i] || l.f != whole_hz) {
                l.f = whole_hz;
                l.ok = ZR_onepole_alpha(whole_hz, l.fs, &l.alpha);
                low_made[i] = true;
            }
            low_ok[i] = l.ok;
            if (l.ok)
                g.alpha[i] = l.alpha;

            ZR_bandpass_known &b = bands[i];
            if (i == 1 && band_shared) {
                b.f = f;
                b.ok = bands[0].ok;
                b.c = bands[0].c;
            }
            else if (!band_made[i] || !(b.f == f)) {
                b.f = f;
                b.ok = ZR_bandpass_design(f, b.q, b.fs, &b.c);
                band_made[i] = true;
            }
            band_ok[i] = b.ok;
            if (b.ok) {
                g.a[i] = b.c.k1;
                g.b[i] = b.c.k2;
                g.c[i] = b.c.k3;
            }
        }
    }

    // The designs of the last apply.
    const ZR_onepole_known &low(int i) const { return lows[i]; }
    const ZR_bandpass_known &band(int i) const { return bands[i]; }

private:
    ZR_onepole_known lows[2] = {};
    ZR_bandpass_known bands[2] = {};
    bool low_made[2] = {false, false}, band_made[2] = {false, false};
    bool low_shared = false, band_shared = false;
};

} // namespace

bool ZR_Application::run_gliding_chain(int32_t k, int32_t fs)
{
    SteadyChain c;
    if (k < 1 || !steady_chain_state(k, c))
        return false;
    ZR_cascade4_state &s = c.state;

    // Plan the block: a new coefficient set at every tick while the glide
    // goes on, all computed before any sample runs. A block holds at most
    // k / TICK + 1 ticks; longer ones take the general road.
    constexpr int32_t MAX_SEGMENTS = 2 + 4096 / FrequencyGlide::TICK;
    if (k > 4096)
        return false;
    ZR_cascade4_step plan[MAX_SEGMENTS];
    const double target = glide.get_target();
    const GlideStep &steps = glide.steps_for(fs);
    GlideDesign design(c.low, c.band);
    double hz = glide.now();
    // The filters' frequency when a design failed there: the last one formed.
    double low_formed[2] = {-1.0, -1.0}, band_formed[2] = {-1.0, -1.0};
    int32_t count = 0;
    ZR_cascade4_step g{0,
                       {s.low[0].alpha, s.low[1].alpha},
                       {s.band[0].a, s.band[1].a},
                       {s.band[0].b, s.band[1].b},
                       {s.band[0].c, s.band[1].c}};
    int32_t to_tick =
        FrequencyGlide::TICK - (int32_t)(samples_done % (uint64_t)FrequencyGlide::TICK);
    bool stepped = false;
    for (int32_t pos = 0; pos < k;) {
        const bool gliding = hz != target;
        const int32_t length = gliding ? std::min(to_tick, k - pos) : k - pos;
        pos += length;
        g.end = pos;
        plan[count++] = g;
        if (gliding && length == to_tick) {
            hz = steps.next(hz, target);
            stepped = true;
            const double capped = fs > 0 ? std::min(hz, fs * FILTER_LIMIT) : hz;
            bool low_ok[2], band_ok[2];
            design.apply(capped, g, low_ok, band_ok);
            for (int i = 0; i < 2; ++i) {
                if (low_ok[i])
                    low_formed[i] = hz;
                if (band_ok[i])
                    band_formed[i] = hz;
                if (g.a[i] == INT32_MIN || g.b[i] == INT32_MIN || g.c[i] == INT32_MIN)
                    return false; // nothing done yet: the caller takes the general road
            }
            to_tick = FrequencyGlide::TICK;
        }
        else {
            to_tick -= length;
        }
    }

    begin_steady_block(k);
    kernel_cascade4_planned(buf_i->data, lpf_buffer1->data, lpf_buffer->data, plan, count, s);
    finish_steady_chain(k, c);
    samples_done += (uint64_t)k;
    if (stepped) {
        // The filters keep what the last step left, as if each tick had set them.
        glide.advance_to(hz);
        auto set = [&](auto *e, double f) {
            const double capped = fs > 0 ? std::min(f, fs * FILTER_LIMIT) : f;
            std::remove_pointer_t<decltype(e)>::m_f(e, ZR_value::of_float((float)capped));
        };
        for (int i = 0; i < 2; ++i) {
            // A design that failed at the end keeps what the last formed one
            // left; the end's own designs are the last tick's.
            if (low_formed[i] >= 0.0 && low_formed[i] != hz)
                set(static_cast<ZR_Effect_Onepole *>(c.low[i]), low_formed[i]);
            c.low[i]->set_frequency(design.low(i));
            if (band_formed[i] >= 0.0 && band_formed[i] != hz)
                set(c.band[i], band_formed[i]);
            c.band[i]->set_frequency(design.band(i));
        }
    }
    return true;
}
