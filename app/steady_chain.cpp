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

bool ZR_Application::run_steady_chain(int32_t k)
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
    ZR_Effect_Lopass *low[] = {ZR_Effect_Lopass::of(lowpass1), ZR_Effect_Lopass::of(lowpass2)};
    ZR_Effect_Bapass *band[] = {ZR_Effect_Bapass::of(bandpass1), ZR_Effect_Bapass::of(bandpass2)};
    if (!low[0] || !low[1] || !band[0] || !band[1])
        return false;
    // Coefficients read once: option handlers may replace them meanwhile.
    ZR_cascade4_state s;
    if (!copies(input_copy, buf_i, lpf_buffer) ||
        !low[0]->export_state(buf_i, lpf_buffer1, ZR_MODE_SET, s.low[0]) ||
        !band[0]->export_state(buf_i, lpf_buffer1, ZR_MODE_SUB, s.band[0]) ||
        !low[1]->export_state(lpf_buffer1, lpf_buffer, ZR_MODE_SET, s.low[1]) ||
        !band[1]->export_state(lpf_buffer1, lpf_buffer, ZR_MODE_SUB, s.band[1]) ||
        !copies(output_copy, lpf_buffer, buf_o) || !kernel_cascade4_usable(s))
        return false;
    for (const ZR_Buffer *b : {buf_i, lpf_buffer, lpf_buffer1, buf_o})
        if (!follows_pipe(b, k))
            return false;

    pipe->block_length = k;
    for (ZR_Effect *e : {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy})
        e->begin_block();
    if (k < 1)
        return true;
    kernel_cascade4(buf_i->data, lpf_buffer1->data, lpf_buffer->data, k, s);
    std::copy(lpf_buffer->data, lpf_buffer->data + k, buf_o->data);
    for (int i = 0; i < 2; ++i) {
        low[i]->import_state(s.low[i]);
        band[i]->import_state(s.band[i]);
    }
    return true;
}
