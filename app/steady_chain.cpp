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

// What the filters' option handlers would compute at the ticks of a block,
// a chunk of ticks at a time: one design for each run of equal inputs, all
// of a chunk formed together (the band-pass ones side by side), and both
// stages sharing one when their inputs match.
class GlideDesigns {
public:
    static constexpr int32_t CHUNK = 64;

    GlideDesigns(const ZR_Effect_Lopass *const low[2], const ZR_Effect_Bapass *const band[2])
    {
        for (int i = 0; i < 2; ++i) {
            low_fs[i] = low[i]->clock.load(std::memory_order_relaxed);
            band_fs[i] = band[i]->clock.load(std::memory_order_relaxed);
            q[i] = band[i]->q.load(std::memory_order_relaxed);
        }
        low_stage[1] = low_fs[1] == low_fs[0] ? 0 : 1;
        band_stage[1] = band_fs[1] == band_fs[0] && q[1] == q[0] ? 0 : 1;
    }

    // Designs for the n <= CHUNK frequencies f[0..n); false when a formed
    // band-pass coefficient is -2^31, which only the separate kernels take.
    bool design(const float *f, int32_t n)
    {
        this->f = f;
        // The option handlers take a frequency as ZR_value::of_float: the
        // one-pole reads to_int() of it, the band-pass the float itself.
        int32_t wholes = 0, floats = 0;
        for (int32_t j = 0; j < n; ++j) {
            const int32_t whole = ZR_truncate_to_int(f[j]);
            if (wholes == 0 || whole != distinct_whole[wholes - 1])
                distinct_whole[wholes++] = whole;
            if (floats == 0 || !(f[j] == distinct_float[floats - 1]))
                distinct_float[floats++] = f[j];
            low_index[j] = wholes - 1;
            band_index[j] = floats - 1;
        }
        for (int i = 0; i <= low_stage[1]; ++i)
            ZR_onepole_alphas(distinct_whole, wholes, low_fs[i], alphas[i], alpha_ok[i]);
        bool usable = true;
        for (int i = 0; i <= band_stage[1]; ++i) {
            ZR_bandpass_designs(distinct_float, floats, q[i], band_fs[i], bands[i], band_ok[i]);
            for (int32_t d = 0; d < floats; ++d) {
                const ZR_bandpass_coefficients &b = bands[i][d];
                usable &=
                    !band_ok[i][d] || (b.k1 != INT32_MIN && b.k2 != INT32_MIN && b.k3 != INT32_MIN);
            }
        }
        return usable;
    }

    // Whether stage 1 takes stage 0's designs.
    bool low_shared() const { return low_stage[1] == 0; }
    bool band_shared() const { return band_stage[1] == 0; }

    // Stage i's designs for f[j]: null when one cannot be formed.
    const uint32_t *alpha(int32_t j, int i) const
    {
        const int s = low_stage[i];
        const int32_t d = low_index[j];
        return alpha_ok[s][d] ? &alphas[s][d] : nullptr;
    }
    const ZR_bandpass_coefficients *band(int32_t j, int i) const
    {
        const int s = band_stage[i];
        const int32_t d = band_index[j];
        return band_ok[s][d] ? &bands[s][d] : nullptr;
    }

    // The same as the filters' options take them.
    ZR_onepole_known low_known(int32_t j, int i) const
    {
        const uint32_t *a = alpha(j, i);
        return {ZR_truncate_to_int(f[j]), low_fs[i], a != nullptr, a ? *a : 0u};
    }
    ZR_bandpass_known band_known(int32_t j, int i) const
    {
        const ZR_bandpass_coefficients *b = band(j, i);
        return {f[j], q[i], band_fs[i], b != nullptr, b ? *b : ZR_bandpass_coefficients{}};
    }

private:
    const float *f = nullptr;
    int32_t low_fs[2], band_fs[2];
    float q[2];
    int low_stage[2] = {0, 1}, band_stage[2] = {0, 1}; // whose designs each stage takes
    int32_t distinct_whole[CHUNK], low_index[CHUNK];
    float distinct_float[CHUNK];
    int32_t band_index[CHUNK];
    uint32_t alphas[2][CHUNK];
    bool alpha_ok[2][CHUNK];
    ZR_bandpass_coefficients bands[2][CHUNK];
    bool band_ok[2][CHUNK];
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
    // First where the segments end and the frequency of each tick...
    int32_t ends[MAX_SEGMENTS];
    double tick_hz[MAX_SEGMENTS];
    float tick_f[MAX_SEGMENTS];
    const double target = glide.get_target();
    const GlideStep &steps = glide.steps_for(fs);
    double hz = glide.now();
    int32_t segments = 0, ticks = 0;
    int32_t to_tick =
        FrequencyGlide::TICK - (int32_t)(samples_done % (uint64_t)FrequencyGlide::TICK);
    for (int32_t pos = 0; pos < k;) {
        const bool gliding = hz != target;
        const int32_t length = gliding ? std::min(to_tick, k - pos) : k - pos;
        pos += length;
        ends[segments++] = pos;
        if (gliding && length == to_tick) {
            hz = steps.next(hz, target);
            tick_hz[ticks] = hz;
            tick_f[ticks++] = (float)(fs > 0 ? std::min(hz, fs * FILTER_LIMIT) : hz);
            to_tick = FrequencyGlide::TICK;
        }
        else {
            to_tick -= length;
        }
    }

    // ...then the coefficients from tick to tick: segment t + 1 starts at
    // tick t. The coefficients in force are kept in locals, and each plan
    // entry is written whole from them rather than copied from memory just
    // stored to. A coefficient that cannot be formed keeps its value, as in
    // the filters, which end with the frequency of the last tick where it
    // was formed.
    GlideDesigns designs(c.low, c.band);
    ZR_cascade4_step plan[MAX_SEGMENTS];
    uint32_t alpha0 = s.low[0].alpha, alpha1 = s.low[1].alpha;
    int32_t a0 = s.band[0].a, a1 = s.band[1].a, b0 = s.band[0].b, b1 = s.band[1].b;
    int32_t c0 = s.band[0].c, c1 = s.band[1].c;
    int32_t low_formed[2] = {-1, -1}, band_formed[2] = {-1, -1}; // ticks
    plan[0] = ZR_cascade4_step{ends[0], {alpha0, alpha1}, {a0, a1}, {b0, b1}, {c0, c1}};
    // Every design is used at some tick, and the coefficients kept from
    // before are usable: a block whose designs are all usable stays usable.
    int32_t chunk = 0; // the first tick of the chunk last designed
    for (int32_t first = 0; first < ticks; first += GlideDesigns::CHUNK) {
        chunk = first;
        const int32_t n = std::min(GlideDesigns::CHUNK, ticks - first);
        if (!designs.design(tick_f + first, n))
            return false; // nothing done yet: the caller takes the general road
        for (int32_t j = 0; j < n; ++j) {
            const int32_t t = first + j;
            const uint32_t *al0 = designs.alpha(j, 0);
            const uint32_t *al1 = designs.low_shared() ? al0 : designs.alpha(j, 1);
            const ZR_bandpass_coefficients *bp0 = designs.band(j, 0);
            const ZR_bandpass_coefficients *bp1 = designs.band_shared() ? bp0 : designs.band(j, 1);
            if (al0) {
                alpha0 = *al0;
                low_formed[0] = t;
            }
            if (al1) {
                alpha1 = *al1;
                low_formed[1] = t;
            }
            if (bp0) {
                a0 = bp0->k1;
                b0 = bp0->k2;
                c0 = bp0->k3;
                band_formed[0] = t;
            }
            if (bp1) {
                a1 = bp1->k1;
                b1 = bp1->k2;
                c1 = bp1->k3;
                band_formed[1] = t;
            }
            if (t + 1 < segments)
                plan[t + 1] =
                    ZR_cascade4_step{ends[t + 1], {alpha0, alpha1}, {a0, a1}, {b0, b1}, {c0, c1}};
        }
    }

    begin_steady_block(k);
    kernel_cascade4_planned(buf_i->data, lpf_buffer1->data, lpf_buffer->data, plan, segments, s);
    finish_steady_chain(k, c);
    samples_done += (uint64_t)k;
    if (ticks > 0) {
        // The filters keep what the last tick left, as if each tick had set
        // them; the last tick's own designs are taken as they are.
        glide.advance_to(hz);
        auto set = [&](auto *e, double f) {
            const double capped = fs > 0 ? std::min(f, fs * FILTER_LIMIT) : f;
            std::remove_pointer_t<decltype(e)>::m_f(e, ZR_value::of_float((float)capped));
        };
        const int32_t last = ticks - 1 - chunk; // in the chunk last designed
        for (int i = 0; i < 2; ++i) {
            if (low_formed[i] >= 0 && tick_hz[low_formed[i]] != hz)
                set(static_cast<ZR_Effect_Onepole *>(c.low[i]), tick_hz[low_formed[i]]);
            c.low[i]->set_frequency(designs.low_known(last, i));
            if (band_formed[i] >= 0 && tick_hz[band_formed[i]] != hz)
                set(c.band[i], tick_hz[band_formed[i]]);
            c.band[i]->set_frequency(designs.band_known(last, i));
        }
    }
    return true;
}
