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

void GlideStep::set_rate(int32_t sample_rate)
{
    rate = sample_rate;
    if (sample_rate <= 0)
        return;
    max_step = FrequencyGlide::OCTAVES_PER_SECOND * FrequencyGlide::TICK / sample_rate;
    up = std::exp2(max_step);
    down = std::exp2(-max_step);
    // A ratio this far outside [down, up] has a logarithm beyond +-max_step
    // whatever the rounding of exp2 and log2.
    beyond_up = up * (1.0 + 1e-9);
    beyond_down = down * (1.0 - 1e-9);
    // And one this far inside has a logarithm within +-max_step.
    within_up = up * (1.0 - 1e-9);
    within_down = down * (1.0 + 1e-9);
}

double GlideStep::next(double current, double target) const
{
    if (rate <= 0 || !(target > 0.0))
        return target;
    const double ratio = target / current;
    if (ratio > beyond_up)
        return current * up;
    if (ratio < beyond_down)
        return current * down;
    if (ratio < within_up && ratio > within_down)
        return target;
    const double distance = std::log2(ratio);
    if (std::fabs(distance) <= max_step)
        return target;
    return current * (distance > 0 ? up : down);
}

double FrequencyGlide::step(int32_t sample_rate)
{
    current = steps_for(sample_rate).next(current, target.load(std::memory_order_relaxed));
    return current;
}
