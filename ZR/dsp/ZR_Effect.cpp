// ZR_Effect: pipe membership, shared options and the switching crossfade.
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/ZR_options_util.h"

#include <cstring>

const char *const ZR_mode_names[ZR_MODE_COUNT] = {"set", "add", "sub", "stn", "adn", "sbn"};

const ZR_option ZR_Effect_options[] = {
    ZR_OPTION_NO_CTOR,
    ZR_OPTION(ZR_Effect, before),
    ZR_OPTION(ZR_Effect, mode),
    ZR_OPTION(ZR_Effect, clock),
    ZR_OPTION(ZR_Effect, on),
    ZR_OPTION(ZR_Effect, debug),
    ZR_OPTION(ZR_Effect, delete),
    ZR_OPTION_END(ZR_Object_options),
};

ZR_Effect::ZR_Effect()
    : link(this), prepared(false), mode(0), clock(0), previous_on(true), on(true), debug(false),
      pipe(nullptr), block_on(true)
{
    options = ZR_Effect_options;
    if (ZR_Soundpipe *current = ZR_Soundpipe::current) {
        pipe = current;
        ZR_Chain_Item *before = nullptr;
        if (current->insert_before && current->insert_before->link.list == &current->effects)
            before = &current->insert_before->link;
        current->effects.insert(&link, before);
    }
}

ZR_Effect::~ZR_Effect()
{
    if (pipe && pipe->insert_before == this)
        pipe->insert_before = nullptr;
    if (link.list)
        link.list->remove(&link);
}

int32_t ZR_Effect::mode_index() const
{
    int32_t m = mode.load(std::memory_order_relaxed);
    return (m >= 0 && m < ZR_MODE_COUNT) ? m : 0;
}

namespace {

// Blends from shadow (j = 0) to data (j = n): the pending switch-off.
void fade_out(int32_t *data, const int32_t *shadow, int32_t n)
{
    kernel_blend(shadow, data, data, n);
}
// Blends from data (j = 0) to shadow (j = n): the pending switch-on.
void fade_in(int32_t *data, const int32_t *shadow, int32_t n)
{
    kernel_blend(data, shadow, data, n);
}
} // namespace

int32_t *ZR_Effect::samples(ZR_Buffer *b)
{
    if (!b)
        return nullptr;
    int32_t t = block_on == previous_on ? 0 : (block_on ? 1 : -1);
    if (t != b->block_state) {
        int32_t n = b->effective_length();
        if (n > 0) {
            if (b->block_state == -1)
                fade_out(b->data, b->shadow, n);
            else if (b->block_state == 1)
                fade_in(b->data, b->shadow, n);
            if (t != 0)
                std::memcpy(b->shadow, b->data, sizeof(int32_t) * (size_t)n);
        }
        b->block_state = t;
    }
    return t == 0 ? b->data : b->shadow;
}

ZR_value ZR_Effect::m_before(ZR_Effect *e, ZR_value v)
{
    ZR_Soundpipe *current = ZR_Soundpipe::current;
    if (v.type > ZR_TYPE_KEYWORD && current) {
        ZR_Effect *other = ZR_object_of<ZR_Effect>(v);
        if (other && other != e && e->link.list == &current->effects &&
            other->link.list == &current->effects) {
            current->effects.remove(&e->link);
            current->effects.insert(&e->link, &other->link);
        }
    }
    ZR_Chain_Item *next = e->link.list ? e->link.next : nullptr;
    if (!next || next == e->link.list->end())
        return ZR_value::of_object(nullptr);
    return ZR_value::of_object(static_cast<ZR_Effect *>(next->owner));
}

ZR_value ZR_Effect::m_mode(ZR_Effect *e, ZR_value v)
{
    return zr_keyword_option(e->mode, v, ZR_mode_names, ZR_MODE_COUNT);
}

ZR_value ZR_Effect::m_clock(ZR_Effect *e, ZR_value v)
{
    if (v.is_number()) {
        // Sequentially consistent: clockChanged may race with another
        // thread's coefficient update (see the filters).
        e->clock.store(v.to_int(), std::memory_order_seq_cst);
        e->clockChanged();
    }
    return ZR_value::of_int(e->clock.load(std::memory_order_relaxed));
}

ZR_value ZR_Effect::m_on(ZR_Effect *e, ZR_value v)
{
    if (v.is_number())
        e->on.store(v.to_double() != 0.0, std::memory_order_relaxed);
    return ZR_value::of_int(e->on.load(std::memory_order_relaxed) ? 1 : 0);
}

ZR_value ZR_Effect::m_debug(ZR_Effect *e, ZR_value v)
{
    if (v.is_number())
        e->debug.store(v.to_double() != 0.0, std::memory_order_relaxed);
    return ZR_value::of_int(e->debug.load(std::memory_order_relaxed) ? 1 : 0);
}

ZR_value ZR_Effect::m_delete(ZR_Effect *e, ZR_value)
{
    delete e;
    return ZR_EMPTY;
}
