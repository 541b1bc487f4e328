// FrequencyGlide: logarithmic steps toward the target frequency.
#include "app/frequency_glide.h"

#include <cmath>

bool FrequencyGlide::begin(bool snap, double *hz)
{
    double t = target.load(std::memory_order_relaxed);
    if (fresh.exchange(false, std::memory_order_relaxed) || snap || !(current > 0.0) ||
        !(t > 0.0)) {
        bool changed = current != t;
        current = t;
        *hz = t;
        return changed;
    }
    return false;
}

double FrequencyGlide::step(int32_t sample_rate)
{
    double t = target.load(std::memory_order_relaxed);
    if (sample_rate <= 0 || !(t > 0.0)) {
        current = t;
        return current;
    }
    double max_step = OCTAVES_PER_SECOND * TICK / sample_rate;
    double distance = std::log2(t / current);
    if (std::fabs(distance) <= max_step)
        current = t;
    else
        current *= std::exp2(distance > 0 ? max_step : -max_step);
    return current;
}
