// Cutoff <-> host value, with the plug-in's single-precision arithmetic.
#include "tools/render/cutoff_map.h"

#include <cmath>

float cutoff_for_host_value(float x)
{
    const float mn = (float)kCutoffMin, mx = (float)kCutoffMax;
    float v = mn + x * (mx - mn);
    float t = (v - mn) / (mx - mn);
    return mn + (mx - mn) * t * t;
}

float host_value_for_cutoff(double hz)
{
    float x = (float)std::sqrt((hz - kCutoffMin) / (kCutoffMax - kCutoffMin));
    // Nudge up by a few ulps at most when the rounding lands just below hz.
    for (int i = 0; i < 8 && x < 1.0f && (double)cutoff_for_host_value(x) < (float)hz; ++i)
        x = std::nextafter(x, 1.0f);
    return x;
}
