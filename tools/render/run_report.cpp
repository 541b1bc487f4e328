// describe_settings, render_cutoff_warning and response_csv_path.
#include "tools/render/run_report.h"
#include "tools/render/cutoff_limit.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/response.h"

#include <cctype>
#include <cstdio>

namespace {

std::string format(const char *fmt, double a, double b = 0.0)
{
    char text[128];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

} // namespace

std::string describe_settings(const Options &o, const RenderSummary &s)
{
    std::string text;
    if (s.frequency_value >= 0.0f) {
        const double shown = (double)cutoff_for_host_value(s.frequency_value);
        const double runs = effective_cutoff(s.frequency_value, s.rate);
        text = format("cutoff %.0f Hz", shown);
        if (!s.frequency_set)
            text += " (the plug-in's default)";
        if (runs < shown - 0.5)
            text += format(", running at %.0f Hz", runs);
        text += ", ";
    }
    if (s.state_value >= 0.0f)
        text += std::string("State ") + (s.state_value >= 0.5f ? "on" : "off") + ", ";
    text += "block " + std::to_string(o.block);
    if (s.automation_events)
        text += ", then " + std::to_string(s.automation_events) + " automation change" +
                (s.automation_events == 1 ? "" : "s") + " from " + o.automation;
    return text;
}

std::string render_cutoff_warning(const RenderSummary &s)
{
    if (s.frequency_value >= 0.0f) {
        const std::string what = (s.frequency_set ? "the cutoff " : "the default cutoff ") +
                                 format("%.0f", (double)cutoff_for_host_value(s.frequency_value));
        std::string w = cutoff_limit_warning(what, s.frequency_value, s.rate);
        if (!w.empty())
            return w;
    }
    if (s.highest_automated_frequency >= 0.0f)
        return cutoff_limit_warning(
            "the automated cutoff " +
                format("%.0f", (double)cutoff_for_host_value(s.highest_automated_frequency)),
            s.highest_automated_frequency, s.rate);
    return "";
}

std::string response_csv_path(const std::string &svg_path)
{
    const std::string csv = replace_extension(svg_path, ".csv");
    // The same rule for what an extension is as replace_extension's.
    const size_t slash = svg_path.find_last_of('/'), dot = svg_path.find_last_of('.');
    std::string ext;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        ext = svg_path.substr(dot + 1);
    std::string lower = ext;
    for (char &c : lower)
        c = (char)std::tolower((unsigned char)c);
    if (csv == svg_path || (!ext.empty() && lower != "svg"))
        throw UsageError(
            "--response writes an SVG plot (and a CSV beside it): name it .svg, not ." + ext +
            " (rsvg-convert -o plot.png plot.svg makes a PNG from it)");
    return csv;
}
