// What a run says about itself: the settings it used, cutoffs the filter
// cannot reach, and the names of the response plot's files.
#pragma once
#include "tools/render/options.h"
#include "tools/render/render.h"

#include <string>

// "cutoff 283 Hz (the plug-in's default), State on, block 512" and the automation.
std::string describe_settings(const Options &o, const RenderSummary &s);

// A warning when the starting or an automated cutoff is beyond the filter's
// reach at the file's rate, else "".
std::string render_cutoff_warning(const RenderSummary &s);

// The CSV beside a response plot. Throws UsageError unless the plot's name
// ends in .svg (or has no extension): the plot is SVG, and the CSV must not
// take the plot's own name.
std::string response_csv_path(const std::string &svg_path);
