// Helpers shared by the effect option handlers: buffer references, keyword
// options and block lengths.
#pragma once
#include "ZR/core/ZR_value.h"
#include "ZR/dsp/ZR_Buffer.h"

#include <atomic>
#include <cstdint>

// A buffer option's slot: set from command threads, read once per block.
typedef std::atomic<ZR_Buffer *> ZR_buffer_slot;

inline ZR_Buffer *zr_get(const ZR_buffer_slot &slot)
{
    return slot.load(std::memory_order_relaxed);
}

// Sets the slot from an object value (a buffer, or null to clear it); other
// values and objects of other classes leave it as it is. Returns the buffer.
ZR_value zr_buffer_option(ZR_buffer_slot &slot, ZR_value v);

// Matches a text value against names from the last to the first and stores
// the index of the first match; returns the current name.
ZR_value zr_keyword_option(std::atomic<int32_t> &index, ZR_value v, const char *const *names,
                           int32_t count);

// Effective length of a buffer, 0 for none.
inline int32_t zr_length(const ZR_Buffer *b)
{
    return b ? b->effective_length() : 0;
}

inline int32_t zr_min(int32_t a, int32_t b)
{
    return a < b ? a : b;
}
