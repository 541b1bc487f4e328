// A buffer that belongs to an effect: private storage outside every pipe,
// whose deletion by a command clears the owner's pointer instead of leaving
// it dangling.
#pragma once
#include "ZR/dsp/ZR_Buffer.h"

#include <atomic>

class ZR_Owned_Buffer : public ZR_Buffer {
public:
    // Allocates length samples (0 or more) and remembers the owner's slot.
    ZR_Owned_Buffer(ZR_Owned_Buffer **owner_slot, int32_t length);
    ~ZR_Owned_Buffer() override;

    // A second place that may hold this buffer (an option slot), cleared too.
    std::atomic<ZR_Buffer *> *also = nullptr;

private:
    ZR_Owned_Buffer **slot;
};

// Sets *slot to a new owned buffer of the given length, or resizes the one
// already there.
void ZR_owned_buffer_size(ZR_Owned_Buffer **slot, int32_t length);
// Deletes the buffer in *slot, if any.
void ZR_owned_buffer_free(ZR_Owned_Buffer **slot);
