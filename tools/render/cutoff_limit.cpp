// The filter's frequency limit in terms of the shown cutoff.
#include "tools/render/cutoff_limit.h"
#include "tools/render/cutoff_map.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double RATE_LIMIT = 0.225;
} // namespace

double highest_cutoff(double rate)
{
    return RATE_LIMIT * rate / FILTER_RATIO;
}

double effective_cutoff(float host_value, double rate)
{
    // As the plug-in computes it: the filter frequency is held in single precision.
    const double wanted = FILTER_RATIO * (double)cutoff_for_host_value(host_value);
    const float filter_hz = (float)std::min(wanted, RATE_LIMIT * rate);
    return (double)filter_hz / FILTER_RATIO;
}

std::string cutoff_limit_warning(const std::string &what, float host_value, double rate)
{
    const double shown = (double)cutoff_for_host_value(host_value);
    const double limit = highest_cutoff(rate);
    if (shown <= limit)
        return "";
    char text[320];
    std::snprintf(text, sizeof text,
                  "warning: %s Hz is above what the filter reaches at %g Hz: it runs at %.0f Hz "
                  "(the highest cutoff at this rate; the filter stops at 0.225 x the rate)",
                  what.c_str(), rate, effective_cutoff(host_value, rate));
    return text;
}
