// The sound pipe: an ordered list of effects run once per block over a list
// of buffers.
#pragma once
#include "ZR/core/ZR_chain.h"
#include "ZR/core/ZR_object.h"

#include <cstdint>

class ZR_Effect;

class ZR_Soundpipe : public ZR_Object {
public:
    // New buffers and effects join this pipe. Only touched while building.
    static ZR_Soundpipe *current;

    int32_t block_length;
    ZR_Chain effects;         // processing order
    ZR_Effect *insert_before; // set by `be`: new effects go before it
    ZR_Chain buffers;         // creation order

    ZR_Soundpipe();
    ~ZR_Soundpipe() override;

    // Runs one block. Allocates nothing, takes no lock.
    int process();
    // Zeroes every buffer and resets every effect.
    void clear();

    static ZR_Object *create();
    static ZR_value m_bl(ZR_Soundpipe *p, ZR_value v);
    static ZR_value m_be(ZR_Soundpipe *p, ZR_value v);
    static ZR_value m_b(ZR_Soundpipe *p, ZR_value v);
    static ZR_value m_e(ZR_Soundpipe *p, ZR_value v);
};

extern const ZR_option ZR_Soundpipe_options[];
