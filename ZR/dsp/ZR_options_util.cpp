// Option helpers shared by the effect classes.
#include "ZR/dsp/ZR_options_util.h"
#include "ZR/core/ZR_object.h"
#include "ZR/core/ZR_spcpp.h"

ZR_value zr_buffer_option(ZR_buffer_slot &slot, ZR_value v)
{
    if (v.type == ZR_TYPE_OBJECT && v.len < 0) {
        if (!v.value.o)
            slot.store(nullptr, std::memory_order_relaxed);
        else if (ZR_Buffer *b = ZR_object_of<ZR_Buffer>(v))
            slot.store(b, std::memory_order_relaxed);
    }
    return ZR_value::of_object(zr_get(slot));
}

ZR_value zr_keyword_option(std::atomic<int32_t> &index, ZR_value v, const char *const *names,
                           int32_t count)
{
    if (v.type == ZR_TYPE_TEXT && v.value.s) {
        for (int32_t k = count - 1; k >= 0; --k) {
            if (spcpp_same_word(names[k], v.value.s)) {
                index.store(k, std::memory_order_relaxed);
                break;
            }
        }
    }
    int32_t k = index.load(std::memory_order_relaxed);
    return ZR_value::of_text(names[(k >= 0 && k < count) ? k : 0]);
}
