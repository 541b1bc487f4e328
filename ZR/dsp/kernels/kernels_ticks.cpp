// Cycle counter reading for timing transforms and driver callbacks.
#include "ZR/dsp/kernels/ZR_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <time.h>
#endif

namespace {

inline uint32_t now_ticks()
{
#if defined(__x86_64__) || defined(__i386__)
    return static_cast<uint32_t>(__rdtsc());
#else
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000000000u +
                                 static_cast<uint64_t>(ts.tv_nsec));
#endif
}

} // namespace

void kernel_ticks(uint32_t &last, uint32_t &delta)
{
    const uint32_t now = now_ticks();
    delta = now - last;
    last = now;
}
