// ZR_Owned_Buffer: storage that effects own.
#include "ZR/dsp/ZR_Owned_Buffer.h"

ZR_Owned_Buffer::ZR_Owned_Buffer(ZR_Owned_Buffer **owner_slot, int32_t length) : slot(owner_slot)
{
    // Owned storage is not a member of the current pipe.
    if (link.list)
        link.list->remove(&link);
    set_length(length < 0 ? 0 : length);
}

ZR_Owned_Buffer::~ZR_Owned_Buffer()
{
    if (slot && *slot == this)
        *slot = nullptr;
    ZR_Buffer *self = this;
    if (also)
        also->compare_exchange_strong(self, nullptr);
}

void ZR_owned_buffer_size(ZR_Owned_Buffer **slot, int32_t length)
{
    if (length < 0)
        length = 0;
    if (*slot) {
        if ((*slot)->requested != length || (*slot)->length != length)
            (*slot)->set_length(length);
    }
    else {
        *slot = new ZR_Owned_Buffer(slot, length);
    }
}

void ZR_owned_buffer_free(ZR_Owned_Buffer **slot)
{
    delete *slot; // clears *slot
    *slot = nullptr;
}
