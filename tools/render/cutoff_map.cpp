// Cutoff <-> host value: the plug-in's own mapping from its parameter table.
#include "tools/render/cutoff_map.h"

float cutoff_for_host_value(float x)
{
    return cutoff_from_host(x);
}

float host_value_for_cutoff(double hz)
{
    return cutoff_to_host(hz);
}
