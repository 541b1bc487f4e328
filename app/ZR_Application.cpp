// ZR_Application: graph construction, processing and parameter plumbing.
#include "app/ZR_Application.h"
#include "app/ZR_Application_Param.h"
#include "app/ZR_Application_Preset.h"
#include "app/host_samples.h"

#include "ZR/Dlg/ZR_Dlg_File.h"

#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/dsp/effects/ZR_Effect_Onepole.h"

#include <algorithm>

namespace {
// Fixed point into both host channels from frame at on; a missing channel is skipped.
void to_host(const int32_t *y, float *out0, float *out1, int32_t at, int32_t k)
{
    fixed_to_host(y, out0 ? out0 + at : nullptr, out1 ? out1 + at : nullptr, k);
}
} // namespace

std::mutex &ZR_Application::graph_lock()
{
    static std::mutex lock;
    return lock;
}

ZR_Application::ZR_Application()
{
    params[STATE] = new ZR_Application_StateParam();
    params[FREQUENCY] = new ZR_Application_FrequencyParam();
    params[SAVE] = new ZR_Application_ActionParam(true);
    params[LOAD] = new ZR_Application_ActionParam(false);
    preset_dialog.reset(new ZR_Dlg_File(nullptr, PRESET_FILTER));
}

ZR_Application::~ZR_Application()
{
    for (Param *p : params)
        delete p;
}

ZR_status ZR_Application::build()
{
    std::lock_guard<std::mutex> lock(graph_lock());
    editor_width = 180 + 20;
    editor_height = 170 + 66;
    block_length = 512;

    int scratch = 0;
    spcpp("ZR_Soundpipe -bl %i -b", &pipe, block_length, &scratch);
    spcpp("ZR_Buffer -t %o", &buf_i, "buf_i");
    spcpp("ZR_Buffer -t %o", &lpf_buffer, "lpf_buffer");
    spcpp("ZR_Buffer -t %o", &lpf_buffer1, "lpf_buffer1");
    spcpp("ZR_Effect_Copy -i %o -o %o", &input_copy, buf_i, lpf_buffer);
    spcpp("ZR_Effect_Lopass -i %o -o %o", &lowpass1, buf_i, lpf_buffer1);
    spcpp("ZR_Effect_Bapass -i %o -o %o -q .618 -mode sub", &bandpass1, buf_i, lpf_buffer1);
    spcpp("ZR_Effect_Lopass -i %o -o %o", &lowpass2, lpf_buffer1, lpf_buffer);
    spcpp("ZR_Effect_Bapass -i %o -o %o -q .618 -mode sub", &bandpass2, lpf_buffer1, lpf_buffer);
    spcpp("ZR_Buffer -t %o", &buf_o, "buf_o");
    spcpp("ZR_Effect_Copy -i %o -o %o", &output_copy, lpf_buffer, buf_o);
    // `e` answers like a query, so the interpreter writes its result through
    // one more pointer.
    spcpp("ZR_Soundpipe %o -e", pipe, &scratch);
    build_panel();

    params[STATE]->notify(this);
    params[FREQUENCY]->notify(this);
    return ZR_OK;
}

ZR_status ZR_Application::destroy()
{
    std::lock_guard<std::mutex> lock(graph_lock());
    void **graph[] = {(void **)&pipe,        (void **)&buf_i,       (void **)&buf_o,
                      (void **)&lpf_buffer,  (void **)&lpf_buffer1, (void **)&lowpass1,
                      (void **)&bandpass1,   (void **)&lowpass2,    (void **)&bandpass2,
                      (void **)&output_copy, (void **)&input_copy};
    for (int i = (int)(sizeof graph / sizeof graph[0]) - 1; i >= 0; --i) {
        if (*graph[i])
            spcpp("%o -delete", *graph[i]);
        *graph[i] = nullptr;
    }
    destroy_panel();
    return ZR_OK;
}

void ZR_Application::setSampleRate(float rate)
{
    int32_t fs = ZR_truncate_to_int(rate);
    sample_rate.store(fs, std::memory_order_relaxed);
    if (!pipe)
        return;
    for (ZR_Chain_Item *i = pipe->effects.first(); i != pipe->effects.end(); i = i->next)
        spcpp("ZR_Effect %o -clock %i", static_cast<ZR_Effect *>(i->owner), fs);
    // The cap depends on the rate.
    if (glide.get_target() > 0.0)
        set_filter_frequency(glide.get_target());
}

void ZR_Application::open()
{
    if (pipe)
        pipe->clear();
    glide.restart();
}

void ZR_Application::set_filter_target(double hz)
{
    glide.set_target(hz);
    // Before the first block the graph takes the value at once, as commands.
    if (glide.is_fresh()) {
        const int32_t fs = sample_rate.load(std::memory_order_relaxed);
        if (fs > 0)
            hz = std::min(hz, fs * FILTER_LIMIT);
        for (ZR_Effect *e : {lowpass1, bandpass1, lowpass2, bandpass2})
            if (e)
                spcpp("%o -f %f", e, hz);
    }
}

void ZR_Application::set_filters_on(int32_t on)
{
    for (ZR_Effect *e : {lowpass1, bandpass1, lowpass2, bandpass2})
        if (e)
            spcpp("ZR_Effect %o -on %i", e, on);
}

void ZR_Application::set_filter_frequency(double hz)
{
    const int32_t fs = sample_rate.load(std::memory_order_relaxed);
    if (fs > 0)
        hz = std::min(hz, fs * FILTER_LIMIT);
    // What the -f option does with ZR_value::of_float((float)hz): the
    // one-pole takes to_int() of it, the band-pass the float. The first
    // design serves the second stage too when its inputs are the same (the
    // filter checks).
    const float f = (float)hz;
    ZR_onepole_known low{ZR_truncate_to_int(f), 0, false, 0};
    ZR_bandpass_known band{f, 0.0f, 0, false, {}};
    bool low_made = false, band_made = false;
    auto set_low = [&](ZR_Effect *e) {
        auto *onepole = static_cast<ZR_Effect_Onepole *>(e);
        const int32_t clock = onepole->clock.load(std::memory_order_relaxed);
        if (!low_made || clock != low.fs) {
            low.fs = clock;
            low.ok = ZR_onepole_alpha(low.f, clock, &low.alpha);
            low_made = true;
        }
        onepole->set_frequency(low);
    };
    auto set_band = [&](ZR_Effect *e) {
        auto *bapass = static_cast<ZR_Effect_Bapass *>(e);
        const int32_t clock = bapass->clock.load(std::memory_order_relaxed);
        const float q = bapass->q.load(std::memory_order_relaxed);
        if (!band_made || clock != band.fs || !(q == band.q)) {
            band.fs = clock;
            band.q = q;
            band.ok = ZR_bandpass_design(f, q, clock, &band.c);
            band_made = true;
        }
        bapass->set_frequency(band);
    };
    if (lowpass1)
        set_low(lowpass1);
    if (bandpass1)
        set_band(bandpass1);
    if (lowpass2)
        set_low(lowpass2);
    if (bandpass2)
        set_band(bandpass2);
}

bool ZR_Application::filters_idle() const
{
    for (ZR_Effect *e : {lowpass1, bandpass1, lowpass2, bandpass2})
        if (e && (e->on.load(std::memory_order_relaxed) || e->previous_on))
            return false;
    return true;
}

void ZR_Application::run_pipe(int32_t frames)
{
    if (!run_steady_chain(frames) && !run_switching_chain(frames)) {
        pipe->block_length = frames;
        pipe->process();
    }
    samples_done += (uint64_t)frames;
}

bool ZR_Application::run_idle_glide(int32_t frames, int32_t fs)
{
    if (!filters_idle())
        return false;
    const uint64_t first = samples_done;
    run_pipe(frames);
    const uint64_t ticks =
        samples_done / (uint64_t)FrequencyGlide::TICK - first / (uint64_t)FrequencyGlide::TICK;
    const double target = glide.get_target();
    const GlideStep &steps = glide.steps_for(fs);
    double hz = glide.now();
    for (uint64_t t = 0; t < ticks && hz != target; ++t) {
        hz = steps.next(hz, target);
        // Below 1 Hz a design may fail and keep an earlier tick's result:
        // set every tick as it comes.
        if (hz < 1.0)
            set_filter_frequency(hz);
    }
    if (hz != glide.now()) {
        glide.advance_to(hz);
        set_filter_frequency(hz);
    }
    return true;
}

void ZR_Application::process(float **inputs, float **outputs, int32_t frames)
{
    if (!outputs || frames <= 0)
        return;
    float *out0 = outputs[0];
    float *out1 = outputs[1];
    const float *in = inputs ? inputs[0] : nullptr;
    if (!pipe || !buf_i || !buf_o || !buf_i->data || !buf_o->data) {
        for (int32_t j = 0; j < frames; ++j) {
            if (out0)
                out0[j] = 0.0f;
            if (out1)
                out1[j] = 0.0f;
        }
        return;
    }
    const int32_t block = std::min(block_length, std::min(buf_i->length, buf_o->length));
    const int32_t fs = sample_rate.load(std::memory_order_relaxed);

    double hz;
    if (glide.begin(filters_idle(), &hz))
        set_filter_frequency(hz);

    for (int32_t done = 0; done < frames;) {
        const int32_t k = std::min(block, frames - done);
        int32_t *x = buf_i->data;
        if (in)
            host_to_fixed(in + done, x, k);
        else
            std::fill(x, x + k, 0);

        if (!glide.gliding()) {
            run_pipe(k);
        }
        else if (!run_gliding_chain(k, fs)) {
            // Glide on the tick grid through the pipe (a switch is fading):
            // pieces that end on ticks, the input shifted down for each, until
            // the fused pass can take the rest (usually after the first).
            int32_t *y = buf_o->data;
            int32_t piece_start = 0;
            int32_t base = 0; // x[i] holds the block's sample base + i past the piece
            bool fused_may_follow = true;
            while (piece_start < k) {
                const int32_t rest = k - piece_start;
                if (fused_may_follow && piece_start > 0) {
                    fused_may_follow = false;
                    std::copy(x + (piece_start - base), x + (k - base), x);
                    base = piece_start;
                    if (run_gliding_chain(rest, fs) || run_idle_glide(rest, fs)) {
                        to_host(y, out0, out1, done + piece_start, rest);
                        break;
                    }
                }
                int32_t to_tick =
                    FrequencyGlide::TICK - (int32_t)(samples_done % (uint64_t)FrequencyGlide::TICK);
                int32_t piece = std::min(to_tick, rest);
                if (piece_start > base)
                    std::copy(x + (piece_start - base), x + (piece_start - base) + piece, x);
                run_pipe(piece);
                to_host(y, out0, out1, done + piece_start, piece);
                piece_start += piece;
                if (samples_done % (uint64_t)FrequencyGlide::TICK == 0 && glide.gliding())
                    set_filter_frequency(glide.step(fs));
            }
            done += k;
            continue;
        }

        to_host(buf_o->data, out0, out1, done, k);
        done += k;
    }
}
