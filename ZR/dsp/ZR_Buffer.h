// A block of fixed-point samples with a shadow half for switching crossfades.
#pragma once
#include "ZR/core/ZR_chain.h"
#include "ZR/core/ZR_object.h"

#include <cstdint>

class ZR_Soundpipe;

// Longest storage a buffer accepts, in samples (per half).
constexpr int32_t ZR_BUFFER_MAX_LENGTH = 1 << 22;

class ZR_Buffer : public ZR_Object {
public:
    int32_t requested; // set by `l`: -1 follows the pipe, 0 no storage
    int32_t length;    // samples allocated per half
    const char *name;  // set by `t` (points at name_copy)
    int32_t *data;
    int32_t *shadow; // second half of the same allocation
    int32_t position;
    int32_t limit;
    ZR_Soundpipe *pipe;  // followed when requested is -1
    int32_t block_state; // -1, 0 or +1 (pending fade-out / fade-in)
    ZR_Chain_Item link;  // membership in the pipe's buffer list
    char name_copy[64];

    ZR_Buffer();
    ~ZR_Buffer() override;

    // What effects use as the buffer's length: the requested length, or the
    // pipe's block length, never more than the storage holds.
    int32_t effective_length() const;
    // Frees the old storage and allocates for the requested length.
    void set_length(int32_t requested_length);

    static ZR_value m_l(ZR_Buffer *b, ZR_value v);
    static ZR_value m_t(ZR_Buffer *b, ZR_value v);
    static ZR_value m_limit(ZR_Buffer *b, ZR_value v);
    static ZR_value m_delete(ZR_Buffer *b, ZR_value v);
};

extern const ZR_option ZR_Buffer_options[];
