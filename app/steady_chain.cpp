// One pipe block of the graph in a single pass when every effect runs
// steadily in the role build gave it: the same arithmetic as the six
// kernels, with the four recurrences interleaved instead of run one by one.
#include "app/ZR_Application.h"

#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/effects/ZR_Effect_Bapass.h"
#include "ZR/dsp/effects/ZR_Effect_Copy.h"
#include "ZR/dsp/effects/ZR_Effect_Onepole.h"
#include "ZR/dsp/kernels/private/filter_steps.h"

#include <algorithm>

namespace {

using zr_kernels::BandpassStep;
using zr_kernels::OnepoleStep;

bool steady(const ZR_Effect *e, int32_t mode)
{
    return e->on.load(std::memory_order_relaxed) && e->previous_on &&
           e->prepared.load(std::memory_order_relaxed) &&
           e->mode.load(std::memory_order_relaxed) == mode;
}

bool copies(const ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    if (e->options != ZR_Effect_Copy_options || !steady(e, ZR_MODE_SET))
        return false;
    auto *c = static_cast<const ZR_Effect_Copy *>(e);
    return zr_get(c->input) == in && zr_get(c->output) == out &&
           c->input_stride.load(std::memory_order_relaxed) == 1 &&
           c->output_stride.load(std::memory_order_relaxed) == 1;
}

bool lowpass(const ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    if (e->options != ZR_Effect_Lopass_options || !steady(e, ZR_MODE_SET))
        return false;
    auto *f = static_cast<const ZR_Effect_Onepole *>(e);
    return zr_get(f->input) == in && zr_get(f->output) == out;
}

bool bandpass(const ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    if (e->options != ZR_Effect_Bapass_options || !steady(e, ZR_MODE_SUB))
        return false;
    auto *f = static_cast<const ZR_Effect_Bapass *>(e);
    return zr_get(f->input) == in && zr_get(f->output) == out &&
           !f->floating.load(std::memory_order_relaxed);
}

bool follows_pipe(const ZR_Buffer *b, int32_t k)
{
    return b->requested == -1 && b->length >= k && b->block_state == 0;
}

} // namespace

bool ZR_Application::run_steady_chain(int32_t k)
{
    if (!pipe || pipe->effects.count != 6 || !input_copy || !lowpass1 || !bandpass1 || !lowpass2 ||
        !bandpass2 || !output_copy)
        return false;
    // Built order, built roles, nothing switching.
    const ZR_Effect *order[] = {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy};
    const ZR_Chain_Item *item = pipe->effects.first();
    for (const ZR_Effect *e : order) {
        if (item->owner != e)
            return false;
        item = item->next;
    }
    if (!copies(input_copy, buf_i, lpf_buffer) || !lowpass(lowpass1, buf_i, lpf_buffer1) ||
        !bandpass(bandpass1, buf_i, lpf_buffer1) || !lowpass(lowpass2, lpf_buffer1, lpf_buffer) ||
        !bandpass(bandpass2, lpf_buffer1, lpf_buffer) || !copies(output_copy, lpf_buffer, buf_o))
        return false;
    auto *p1 = static_cast<ZR_Effect_Bapass *>(bandpass1);
    auto *p2 = static_cast<ZR_Effect_Bapass *>(bandpass2);
    // Coefficients read once: option handlers may replace them meanwhile.
    const int32_t a1 = p1->k1.load(std::memory_order_relaxed),
                  b1 = p1->k2.load(std::memory_order_relaxed),
                  c1 = p1->k3.load(std::memory_order_relaxed),
                  a2 = p2->k1.load(std::memory_order_relaxed),
                  b2 = p2->k2.load(std::memory_order_relaxed),
                  c2 = p2->k3.load(std::memory_order_relaxed);
    if (!BandpassStep::usable(a1, b1, c1) || !BandpassStep::usable(a2, b2, c2))
        return false;
    for (const ZR_Buffer *b : {buf_i, lpf_buffer, lpf_buffer1, buf_o})
        if (!follows_pipe(b, k))
            return false;

    pipe->block_length = k;
    for (ZR_Effect *e : {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy})
        e->begin_block();

    auto *l1 = static_cast<ZR_Effect_Onepole *>(lowpass1);
    auto *l2 = static_cast<ZR_Effect_Onepole *>(lowpass2);
    if (k < 1)
        return true;
    OnepoleStep low1(l1->b, l1->alpha.load(std::memory_order_relaxed));
    OnepoleStep low2(l2->b, l2->alpha.load(std::memory_order_relaxed));
    BandpassStep band1(a1, b1, c1, p1->y1, p1->y2), band2(a2, b2, c2, p2->y1, p2->y2);
    const int32_t *in = buf_i->data;
    int32_t *mid = lpf_buffer1->data, *last = lpf_buffer->data;
    // One sample of both stages; lo - y = (o + 2^31) + m, modulo 2^32. The
    // band-passes read their x2 back from the blocks.
    auto sample = [&](int32_t j, int32_t x2, int32_t v2) __attribute__((always_inline))
    {
        const int32_t x = in[j];
        const int32_t v1 = (int32_t)(low1.step(x) + band1.step(x, x2) + 0x80000000u);
        mid[j] = v1;
        last[j] = (int32_t)(low2.step(v1) + band2.step(v1, v2) + 0x80000000u);
    };
    const int32_t in1 = p1->x1, in2 = p1->x2, mid1 = p2->x1, mid2 = p2->x2;
    sample(0, in2, mid2);
    if (k >= 2)
        sample(1, in1, mid1);
    for (int32_t j = 2; j < k; ++j)
        sample(j, in[j - 2], mid[j - 2]);
    std::copy(last, last + k, buf_o->data);
    p1->x1 = in[k - 1];
    p1->x2 = k >= 2 ? in[k - 2] : in1;
    p2->x1 = mid[k - 1];
    p2->x2 = k >= 2 ? mid[k - 2] : mid1;
    l1->b = low1.b();
    l2->b = low2.b();
    p1->y1 = band1.y1();
    p1->y2 = band1.y2();
    p2->y1 = band2.y1();
    p2->y2 = band2.y2();
    return true;
}
