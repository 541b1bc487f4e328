// Coefficients derived from options that different threads set.
#pragma once
#include <cstring>
#include <type_traits>

// Runs compute(read()) until read() gives the same inputs before and after:
// whoever stored an input last is never overwritten by a result from older
// values. Inputs are compared by their bytes, so a NaN equals itself (the
// record must have no padding). The option handlers' stores and the loads in
// read() must be sequentially consistent: relaxed order lets a thread's store
// pass its own later loads, and a stale result would win.
template <class Read, class Compute>
void zr_recompute_until_stable(Read read, Compute compute)
{
    using Inputs = decltype(read());
    static_assert(std::is_trivially_copyable_v<Inputs>, "inputs are compared by their bytes");
    for (;;) {
        const Inputs before = read();
        compute(before);
        const Inputs after = read();
        if (std::memcmp(&before, &after, sizeof before) == 0)
            return;
    }
}
