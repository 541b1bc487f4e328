// How far the filter reaches at a sample rate: it runs at 1.2 times the shown
// cutoff, but never above 0.225 times the rate.
#pragma once
#include <string>

// The highest shown cutoff that still takes effect at rate (0.1875 x rate).
double highest_cutoff(double rate);

// The shown cutoff the filter really runs at for host value x at rate.
double effective_cutoff(float host_value, double rate);

// A warning for a cutoff the filter cannot reach at rate, else "".
// what names the setting, such as "--cutoff 5000".
std::string cutoff_limit_warning(const std::string &what, float host_value, double rate);
