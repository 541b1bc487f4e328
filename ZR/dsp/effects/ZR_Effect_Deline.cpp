// ZR_Effect_Deline: groups and delays, their options, and the per-block
// compile into a kernel_tapnet program. The ring and the program are
// allocated with the effect; nothing is allocated while processing.
#include "ZR/dsp/effects/ZR_Effect_Deline.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_convert.h"

#include <cmath>
#include <cstring>

const ZR_option ZR_Effect_Deline_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Deline),    ZR_OPTION(ZR_Effect_Deline, i),
    ZR_OPTION(ZR_Effect_Deline, g),      ZR_OPTION(ZR_Effect_Deline, go),
    ZR_OPTION(ZR_Effect_Deline, ga),     ZR_OPTION(ZR_Effect_Deline, gf),
    ZR_OPTION(ZR_Effect_Deline, gc),     ZR_OPTION(ZR_Effect_Deline, d),
    ZR_OPTION(ZR_Effect_Deline, dt),     ZR_OPTION(ZR_Effect_Deline, da),
    ZR_OPTION(ZR_Effect_Deline, delete), ZR_OPTION_END(ZR_Effect_options),
};

namespace {

constexpr int32_t kGroupEntries = 4;
constexpr int32_t kDelayEntries = 2;

template <class T>
T *owner_of(ZR_Chain_Item *item)
{
    return static_cast<T *>(item->owner);
}

// The member of list whose owner is the object in v, or null.
template <class T>
T *member(ZR_Chain &list, ZR_value v)
{
    for (ZR_Chain_Item *i = list.first(); i != list.end(); i = i->next)
        if (i->owner == v.value.o)
            return owner_of<T>(i);
    return nullptr;
}

// -g and -d: an object selects that member of list; no value (or a keyword)
// adds a new member made with owner while the tap program has room for its
// entries. Answers the current member.
template <class T, class Owner>
ZR_value select_or_add(ZR_Effect_Deline *e, ZR_Chain &list, T *&current, Owner *owner,
                       int32_t entries, ZR_value v)
{
    if (v.type == ZR_TYPE_OBJECT) {
        if (T *found = member<T>(list, v))
            current = found;
    }
    else if (v.type <= ZR_TYPE_KEYWORD &&
             e->program_length + entries <= ZR_Effect_Deline::kProgram) {
        T *added = new T(owner);
        list.insert(&added->link);
        e->program_length += entries;
        current = added;
    }
    return ZR_value::of_object(current);
}

// Every edit holds the guard and has the next block compile the program anew;
// with no current group (or delay) to edit, the answer is empty.
template <class Edit>
ZR_value edit_group(ZR_Effect_Deline *e, Edit edit)
{
    ZR_edit_lock lock(e->guard);
    e->prepared.store(false, std::memory_order_relaxed);
    ZR_Effect_Deline_Group *g = e->current;
    return g ? edit(g) : ZR_EMPTY;
}

template <class Edit>
ZR_value edit_delay(ZR_Effect_Deline *e, Edit edit)
{
    return edit_group(e, [&](ZR_Effect_Deline_Group *g) -> ZR_value {
        return g->current ? edit(g->current) : ZR_EMPTY;
    });
}

} // namespace

ZR_Effect_Deline_Group_Delay::ZR_Effect_Deline_Group_Delay(ZR_Effect_Deline_Group *owner)
    : group(owner)
{
}

ZR_Effect_Deline_Group_Delay::~ZR_Effect_Deline_Group_Delay()
{
    // Deleted by a command: leave the network. (Its group unlinks it first
    // when it deletes it itself.)
    if (!link.list)
        return;
    ZR_Effect_Deline *effect = group->effect;
    ZR_edit_lock lock(effect->guard);
    link.list->remove(&link);
    if (group->current == this)
        group->current = nullptr;
    effect->program_length -= kDelayEntries;
    effect->prepared.store(false, std::memory_order_relaxed);
}

ZR_Effect_Deline_Group::ZR_Effect_Deline_Group(ZR_Effect_Deline *owner) : effect(owner) {}

void ZR_Effect_Deline_Group::clear()
{
    while (delays.first() != delays.end()) {
        ZR_Chain_Item *item = delays.first();
        delays.remove(item);
        effect->program_length -= kDelayEntries;
        delete owner_of<ZR_Effect_Deline_Group_Delay>(item);
    }
    current = nullptr;
}

ZR_Effect_Deline_Group::~ZR_Effect_Deline_Group()
{
    if (link.list) {
        ZR_edit_lock lock(effect->guard);
        link.list->remove(&link);
        if (effect->current == this)
            effect->current = nullptr;
        effect->program_length -= kGroupEntries;
        clear();
        effect->prepared.store(false, std::memory_order_relaxed);
    }
    else {
        clear();
    }
}

ZR_Effect_Deline::ZR_Effect_Deline()
    : ring(new int32_t[kRing]()), program(new ZR_tap_entry[kProgram]())
{
    options = ZR_Effect_Deline_options;
}

ZR_Effect_Deline::~ZR_Effect_Deline()
{
    while (groups.first() != groups.end()) {
        ZR_Chain_Item *item = groups.first();
        groups.remove(item);
        delete owner_of<ZR_Effect_Deline_Group>(item);
    }
    delete[] ring;
    delete[] program;
}

int32_t ZR_Effect_Deline::delay_entry(const ZR_Effect_Deline_Group_Delay *d) const
{
    double t =
        d->in_samples ? (double)d->time : clock.load(std::memory_order_relaxed) * (double)d->time;
    if (!(t >= 0.0))
        return 0;
    if (t >= kLongest)
        return kLongest;
    return (int32_t)t;
}

void ZR_Effect_Deline::prepare()
{
    ZR_Buffer *in = zr_get(input);
    if (!in || !guard.try_lock())
        return;
    int32_t n = zr_length(in);
    int32_t k = 0;
    for (ZR_Chain_Item *gi = groups.first(); gi != groups.end(); gi = gi->next) {
        ZR_Effect_Deline_Group *g = owner_of<ZR_Effect_Deline_Group>(gi);
        for (ZR_Chain_Item *di = g->delays.first(); di != g->delays.end(); di = di->next) {
            ZR_Effect_Deline_Group_Delay *d = owner_of<ZR_Effect_Deline_Group_Delay>(di);
            d->slot = k;
            program[k++] = delay_entry(d);
            program[k++] = d->gain;
        }
        int32_t *out = samples(g->output);
        if (g->output)
            n = zr_min(n, zr_length(g->output));
        program[k++] = -1;
        program[k++] = g->gain;
        program[k++] = (ZR_tap_entry)out;
        program[k++] = g->feedback;
    }
    compiled_length = k;
    block = n;
    prepared.store(true, std::memory_order_relaxed);
    guard.unlock();
}

void ZR_Effect_Deline::process()
{
    // Compile again before the next block: output blocks change per block.
    prepared.store(false, std::memory_order_relaxed);
    ZR_Buffer *b = zr_get(input);
    int32_t n = zr_min(block, zr_length(b));
    const int32_t *in = samples(b);
    if (!in || n <= 0 || compiled_length == 0)
        return;
    kernel_tapnet[mode_index()](in, n, ring, position, program, compiled_length);
}

void ZR_Effect_Deline::clockChanged()
{
    prepared.store(false, std::memory_order_relaxed);
}

void ZR_Effect_Deline::reset()
{
    std::memset(ring, 0, sizeof(int32_t) * kRing);
}

ZR_value ZR_Effect_Deline::m_i(ZR_Effect_Deline *e, ZR_value v)
{
    return zr_buffer_option(e->input, v);
}

ZR_value ZR_Effect_Deline::m_g(ZR_Effect_Deline *e, ZR_value v)
{
    ZR_edit_lock lock(e->guard);
    e->prepared.store(false, std::memory_order_relaxed);
    return select_or_add(e, e->groups, e->current, e, kGroupEntries, v);
}

ZR_value ZR_Effect_Deline::m_go(ZR_Effect_Deline *e, ZR_value v)
{
    return edit_group(e, [&](ZR_Effect_Deline_Group *g) {
        if (v.type == ZR_TYPE_OBJECT && v.len < 0) {
            if (!v.value.o)
                g->output = nullptr;
            else if (ZR_Buffer *b = ZR_object_of<ZR_Buffer>(v))
                g->output = b;
        }
        return ZR_value::of_object(g->output);
    });
}

namespace {

ZR_value group_gain(ZR_Effect_Deline *e, int32_t ZR_Effect_Deline_Group::*field, ZR_value v)
{
    return edit_group(e, [&](ZR_Effect_Deline_Group *g) {
        if (v.is_number())
            zr_trunc_clamped(v.to_double() * 8388607, g->*field);
        return ZR_value::of_int(g->*field);
    });
}

} // namespace

ZR_value ZR_Effect_Deline::m_ga(ZR_Effect_Deline *e, ZR_value v)
{
    return group_gain(e, &ZR_Effect_Deline_Group::gain, v);
}

ZR_value ZR_Effect_Deline::m_gf(ZR_Effect_Deline *e, ZR_value v)
{
    return group_gain(e, &ZR_Effect_Deline_Group::feedback, v);
}

ZR_value ZR_Effect_Deline::m_gc(ZR_Effect_Deline *e, ZR_value)
{
    return edit_group(e, [](ZR_Effect_Deline_Group *g) {
        g->clear();
        return ZR_EMPTY;
    });
}

ZR_value ZR_Effect_Deline::m_d(ZR_Effect_Deline *e, ZR_value v)
{
    return edit_group(e, [&](ZR_Effect_Deline_Group *g) {
        return select_or_add(e, g->delays, g->current, g, kDelayEntries, v);
    });
}

ZR_value ZR_Effect_Deline::m_dt(ZR_Effect_Deline *e, ZR_value v)
{
    return edit_delay(e, [&](ZR_Effect_Deline_Group_Delay *d) {
        if (v.type == ZR_TYPE_INT) {
            d->time = (float)v.value.i;
            d->in_samples = true;
        }
        else if (v.type == ZR_TYPE_FLOAT && !std::isnan(v.value.f)) {
            d->time = v.value.f;
            d->in_samples = false;
        }
        return ZR_value::of_float(d->time);
    });
}

ZR_value ZR_Effect_Deline::m_da(ZR_Effect_Deline *e, ZR_value v)
{
    return edit_delay(e, [&](ZR_Effect_Deline_Group_Delay *d) {
        if (v.is_number())
            zr_trunc_clamped(v.to_double() * 2147483647.0, d->gain);
        else if (v.type <= ZR_TYPE_KEYWORD)
            d->gain = 0;
        return ZR_value::of_int(d->gain);
    });
}

ZR_value ZR_Effect_Deline::m_delete(ZR_Effect_Deline *e, ZR_value)
{
    delete e;
    return ZR_EMPTY;
}
