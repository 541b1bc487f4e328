// The plug-in's two parameters and the mapping between the shown cutoff and
// the host value, as the plug-in's parameter table defines them.
#pragma once
#include "app/vemo_params.h"

#include <cstdint>

// Shown cutoff (Hz) for a host value x: 20 + 8313 x^2, computed in single
// precision as the plug-in does.
float cutoff_for_host_value(float x);

// Host value whose shown cutoff is hz, never below it by rounding (so that the
// filters, which run at 1.2 times the shown cutoff in whole hertz for the
// one-pole stages, do not drop one hertz). hz must lie in 20..8333.
float host_value_for_cutoff(double hz);
