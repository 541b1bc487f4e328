// ZR_Soundpipe: the current pipe, block processing and the pipe options.
#include "ZR/dsp/ZR_Soundpipe.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"

#include <cstring>
#include <new>

ZR_Soundpipe *ZR_Soundpipe::current = nullptr;

const ZR_option ZR_Soundpipe_options[] = {
    {"", nullptr, &ZR_Soundpipe::create, nullptr},
    ZR_OPTION(ZR_Soundpipe, bl),
    ZR_OPTION(ZR_Soundpipe, be),
    ZR_OPTION(ZR_Soundpipe, b),
    ZR_OPTION(ZR_Soundpipe, e),
    ZR_OPTION_END(ZR_Object_options),
};

ZR_Soundpipe::ZR_Soundpipe() : block_length(0), insert_before(nullptr)
{
    options = ZR_Soundpipe_options;
    current = this;
}

ZR_Soundpipe::~ZR_Soundpipe()
{
    if (current == this)
        current = nullptr;
    // Members outlive the pipe: detach them so they never reach freed lists.
    while (effects.first() != effects.end()) {
        ZR_Chain_Item *item = effects.first();
        static_cast<ZR_Effect *>(item->owner)->pipe = nullptr;
        effects.remove(item);
    }
    while (buffers.first() != buffers.end()) {
        ZR_Chain_Item *item = buffers.first();
        ZR_Buffer *b = static_cast<ZR_Buffer *>(item->owner);
        if (b->pipe == this)
            b->pipe = nullptr;
        buffers.remove(item);
    }
}

ZR_Object *ZR_Soundpipe::create()
{
    if (ZR_specialobject && std::strcmp(ZR_specialobject, "current") == 0)
        return current;
    return new ZR_Soundpipe();
}

int ZR_Soundpipe::process()
{
    for (ZR_Chain_Item *i = buffers.first(); i != buffers.end(); i = i->next)
        static_cast<ZR_Buffer *>(i->owner)->block_state = 0;

    for (ZR_Chain_Item *i = effects.first(); i != effects.end(); i = i->next) {
        ZR_Effect *e = static_cast<ZR_Effect *>(i->owner);
        e->begin_block();
        if (e->block_on || e->previous_on) {
            if (!e->prepared.load(std::memory_order_relaxed))
                e->prepare();
            if (e->prepared.load(std::memory_order_relaxed))
                e->process();
        }
        if (e->block_on != e->previous_on) {
            if (!e->block_on)
                e->reset();
            e->previous_on = e->block_on;
        }
    }
    return 0;
}

void ZR_Soundpipe::clear()
{
    for (ZR_Chain_Item *i = buffers.first(); i != buffers.end(); i = i->next) {
        ZR_Buffer *b = static_cast<ZR_Buffer *>(i->owner);
        if (b->data)
            std::memset(b->data, 0, sizeof(int32_t) * (size_t)b->length);
    }
    for (ZR_Chain_Item *i = effects.first(); i != effects.end(); i = i->next)
        static_cast<ZR_Effect *>(i->owner)->reset();
}

ZR_value ZR_Soundpipe::m_bl(ZR_Soundpipe *p, ZR_value v)
{
    if (v.is_number()) {
        int32_t n = v.to_int();
        p->block_length = n < 0 ? 0 : n;
    }
    return ZR_value::of_int(p->block_length);
}

ZR_value ZR_Soundpipe::m_be(ZR_Soundpipe *p, ZR_value v)
{
    if (v.type == ZR_TYPE_INT && v.value.i == 0)
        p->insert_before = nullptr;
    else if (v.type > ZR_TYPE_KEYWORD) {
        if (ZR_Effect *e = ZR_object_of<ZR_Effect>(v))
            p->insert_before = e;
    }
    return ZR_value::of_object(p->insert_before);
}

ZR_value ZR_Soundpipe::m_b(ZR_Soundpipe *p, ZR_value)
{
    if (current)
        return ZR_value::of_int(0);
    current = p;
    return ZR_value::of_int(1);
}

ZR_value ZR_Soundpipe::m_e(ZR_Soundpipe *p, ZR_value)
{
    if (current != p)
        return ZR_value::of_int(0);
    current = nullptr;
    return ZR_value::of_int(1);
}
