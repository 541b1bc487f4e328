// ZR_Buffer: storage, options, and membership in the current pipe.
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <algorithm>
#include <cstring>
#include <new>

const ZR_option ZR_Buffer_options[] = {
    ZR_OPTION_CTOR(ZR_Buffer),   ZR_OPTION(ZR_Buffer, l),      ZR_OPTION(ZR_Buffer, t),
    ZR_OPTION(ZR_Buffer, limit), ZR_OPTION(ZR_Buffer, delete), ZR_OPTION_END(ZR_Object_options),
};

ZR_Buffer::ZR_Buffer()
    : requested(0), length(0), name(nullptr), data(nullptr), shadow(nullptr), position(0),
      limit(0x3fffffff), pipe(nullptr), block_state(0), link(this), name_copy()
{
    options = ZR_Buffer_options;
    if (ZR_Soundpipe *current = ZR_Soundpipe::current)
        current->buffers.insert(&link);
    set_length(-1);
}

ZR_Buffer::~ZR_Buffer()
{
    delete[] data;
    if (link.list)
        link.list->remove(&link);
}

int32_t ZR_Buffer::effective_length() const
{
    int32_t n = requested;
    if (n == -1)
        n = pipe ? pipe->block_length : 0;
    return std::max(0, std::min(n, length));
}

void ZR_Buffer::set_length(int32_t requested_length)
{
    delete[] data;
    data = shadow = nullptr;
    length = 0;
    pipe = nullptr;
    // Only -1 and 0..max are meaningful; anything else means no storage.
    if (requested_length < -1 || requested_length > ZR_BUFFER_MAX_LENGTH)
        requested_length = 0;
    requested = requested_length;
    if (requested == 0)
        return;

    int32_t n = requested;
    if (requested == -1) {
        pipe = ZR_Soundpipe::current;
        n = pipe ? pipe->block_length : 0;
        // A buffer that follows a pipe is one of its members, so that the
        // pipe resets its block state and detaches it when deleted.
        if (pipe && link.list != &pipe->buffers) {
            if (link.list)
                link.list->remove(&link);
            pipe->buffers.insert(&link);
        }
    }
    if (n <= 0) {
        requested = 0;
        return;
    }
    data = new (std::nothrow) int32_t[2 * (size_t)n];
    if (!data)
        return;
    shadow = data + n;
    length = n;
    position %= length;
    std::memset(data, 0, sizeof(int32_t) * (size_t)n);
}

ZR_value ZR_Buffer::m_l(ZR_Buffer *b, ZR_value v)
{
    if (v.is_number())
        b->set_length(v.to_int());
    return ZR_value::of_int(b->effective_length());
}

ZR_value ZR_Buffer::m_t(ZR_Buffer *b, ZR_value v)
{
    // The name is copied: command text dies with the command.
    bool text = v.type == ZR_TYPE_TEXT ||
                (v.type == ZR_TYPE_OBJECT && v.len < 0 && !ZR_object_alive(v.value.o));
    if (text) {
        const char *s = v.value.s ? v.value.s : "";
        size_t n = strnlen(s, sizeof b->name_copy - 1);
        std::memcpy(b->name_copy, s, n);
        b->name_copy[n] = 0;
        b->name = b->name_copy;
    }
    return ZR_value::of_text(b->name ? b->name : "");
}

ZR_value ZR_Buffer::m_limit(ZR_Buffer *b, ZR_value v)
{
    if (v.is_number())
        b->limit = v.to_int();
    return ZR_value::of_int(b->limit);
}

ZR_value ZR_Buffer::m_delete(ZR_Buffer *b, ZR_value)
{
    delete b;
    return ZR_EMPTY;
}
