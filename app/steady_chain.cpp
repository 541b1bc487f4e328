// One pipe block of the graph in a single pass when every effect runs
// steadily in the role build gave it: the same arithmetic as the six
// kernels, with the four recurrences interleaved instead of run one by one.
#include "app/ZR_Application.h"

#include "ZR/ZR_Buffer.h"
#include "ZR/ZR_Effect_Bapass.h"
#include "ZR/ZR_Effect_Copy.h"
#include "ZR/ZR_Effect_Onepole.h"
#include "ZR/ZR_Soundpipe.h"
#include "ZR/kernels_common.h"

#include <algorithm>

namespace {

using zr_kernels::hi31;
using zr_kernels::sub_w;

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
    return c->input == in && c->output == out &&
           c->input_stride.load(std::memory_order_relaxed) == 1 &&
           c->output_stride.load(std::memory_order_relaxed) == 1;
}

bool lowpass(const ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    if (e->options != ZR_Effect_Lopass_options || !steady(e, ZR_MODE_SET))
        return false;
    auto *f = static_cast<const ZR_Effect_Onepole *>(e);
    return f->input == in && f->output == out;
}

bool bandpass(const ZR_Effect *e, const ZR_Buffer *in, const ZR_Buffer *out)
{
    if (e->options != ZR_Effect_Bapass_options || !steady(e, ZR_MODE_SUB))
        return false;
    auto *f = static_cast<const ZR_Effect_Bapass *>(e);
    return f->input == in && f->output == out && !f->floating.load(std::memory_order_relaxed);
}

bool follows_pipe(const ZR_Buffer *b, int32_t k)
{
    return b->requested == -1 && b->length >= k && b->block_state == 0;
}

struct Onepole {
    uint32_t b, alpha, half;
    explicit Onepole(ZR_Effect_Onepole *f)
        : b((uint32_t)f->b), alpha(f->alpha.load(std::memory_order_relaxed)), half(alpha >> 1) {}
    int32_t step(int32_t x)
    {
        uint32_t u = (uint32_t)x - b + 0x80000000u;
        b = b + (uint32_t)(((uint64_t)u * alpha) >> 32) - half;
        return (int32_t)b;
    }
};

struct Bandpass {
    int32_t a, b, c, x1, x2, y1, y2;
    explicit Bandpass(ZR_Effect_Bapass *f)
        : a(f->k1.load(std::memory_order_relaxed)), b(f->k2.load(std::memory_order_relaxed)),
          c(f->k3.load(std::memory_order_relaxed)), x1(f->x1), x2(f->x2), y1(f->y1), y2(f->y2) {}
    int32_t step(int32_t x)
    {
        int64_t ay1 = hi31(a, y1);
        int64_t sum = int64_t{hi31(c, sub_w(x, x2))} - y2 + hi31(b, y2) + 2 * int64_t{y1} - 2 * ay1;
        int32_t y = (int32_t)std::min<int64_t>(std::max<int64_t>(sum, INT32_MIN), INT32_MAX);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    void save(ZR_Effect_Bapass *f) const
    {
        f->x1 = x1;
        f->x2 = x2;
        f->y1 = y1;
        f->y2 = y2;
    }
};

}

bool ZR_Application::run_steady_chain(int32_t k)
{
    if (!pipe || pipe->effects.count != 6 || !input_copy || !lowpass1 || !bandpass1 ||
        !lowpass2 || !bandpass2 || !output_copy)
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
    for (const ZR_Buffer *b : {buf_i, lpf_buffer, lpf_buffer1, buf_o})
        if (!follows_pipe(b, k))
            return false;

    pipe->block_length = k;
    for (ZR_Effect *e : {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy})
        e->begin_block();

    auto *l1 = static_cast<ZR_Effect_Onepole *>(lowpass1);
    auto *l2 = static_cast<ZR_Effect_Onepole *>(lowpass2);
    auto *p1 = static_cast<ZR_Effect_Bapass *>(bandpass1);
    auto *p2 = static_cast<ZR_Effect_Bapass *>(bandpass2);
    Onepole low1(l1), low2(l2);
    Bandpass band1(p1), band2(p2);
    const int32_t *in = buf_i->data;
    int32_t *mid = lpf_buffer1->data, *last = lpf_buffer->data, *out = buf_o->data;
    for (int32_t j = 0; j < k; ++j) {
        const int32_t x = in[j];
        const int32_t lo = low1.step(x);
        const int32_t v1 = sub_w(lo, band1.step(x));
        mid[j] = v1;
        const int32_t lo2 = low2.step(v1);
        const int32_t v2 = sub_w(lo2, band2.step(v1));
        last[j] = v2;
        out[j] = v2;
    }
    l1->b = (int32_t)low1.b;
    l2->b = (int32_t)low2.b;
    band1.save(p1);
    band2.save(p2);
    return true;
}
