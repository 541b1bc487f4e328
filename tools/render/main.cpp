// vemo-render: offline host for the vemo plug-in (render, response plot, demo signal).
#include "app/ZR_Application_Preset.h"
#include "app/vemo_params.h"
#include "tools/common/safe_output.h"
#include "tools/render/cutoff_limit.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/demo_signal.h"
#include "tools/render/options.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_locate.h"
#include "tools/render/render.h"
#include "tools/render/response.h"
#include "tools/render/run_report.h"
#include "tools/render/sound_file.h"
#include "tools/render/svg_plot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

std::string find_plugin(const Options &o)
{
    if (!o.plugin.empty())
        return plugin_argument_path(o.plugin);
    std::string tried;
    std::string path = locate_plugin(&tried);
    if (path.empty())
        throw HostError("cannot find vemo.so (looked at " + tried + "); give --plugin PATH");
    return path;
}

int run_response(const Options &o, const std::string &plugin)
{
    const std::string csv = response_csv_path(o.output);
    for (const std::string &target : {o.output, csv}) {
        const std::string why = check_output_target(target, {}, o.force);
        if (!why.empty())
            throw SoundError(why +
                             (why.find("read-only") != std::string::npos ? " (or --force)" : ""));
    }
    for (double cutoff : o.cutoffs) {
        char what[64];
        std::snprintf(what, sizeof what, "--cutoff %g", cutoff);
        const std::string warning =
            cutoff_limit_warning(what, host_value_for_cutoff(cutoff), o.rate);
        if (!warning.empty())
            std::fprintf(stderr, "vemo-render: %s\n", warning.c_str());
    }
    std::vector<ResponseCurve> curves;
    {
        PluginLibrary library(plugin);
        const std::vector<double> freqs = response_frequencies(o.rate, 160);
        for (double cutoff : o.cutoffs) {
            test_pause_point();
            if (interrupted())
                throw std::runtime_error("interrupted: nothing was written");
            curves.push_back(measure_response(library, o.rate, cutoff, freqs, o.block));
        }
    }
    write_text_file(o.output, response_svg(curves, o.rate));
    write_response_csv(csv, curves, o.rate);
    std::fprintf(stderr, "vemo-render: wrote %s and %s\n", o.output.c_str(), csv.c_str());
    return 0;
}

int run_render(const Options &o, const std::string &plugin)
{
    const RenderSummary s = render_file(o, plugin);
    const std::string warning = render_cutoff_warning(s);
    if (!warning.empty())
        std::fprintf(stderr, "vemo-render: %s\n", warning.c_str());
    std::fprintf(stderr, "vemo-render: wrote %s (%s, %d channel%s, %d Hz, %lld frames) with %s\n",
                 o.output.c_str(), describe_format(s.output_format).c_str(), s.channels,
                 s.channels == 1 ? "" : "s", s.rate, (long long)s.frames,
                 describe_settings(o, s).c_str());
    if (s.clipped)
        std::fprintf(stderr,
                     "vemo-render: warning: %lld samples clipped to the output format's range\n",
                     (long long)s.clipped);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    try {
        o = parse_options(argc, argv);
    }
    catch (const UsageError &e) {
        std::fprintf(stderr, "vemo-render: %s\n(vemo-render --help shows the usage)\n", e.what());
        return 2;
    }
    if (o.mode == Mode::Help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    if (o.mode == Mode::Version) {
        std::puts("vemo-render 1.0");
        return 0;
    }
    if (!o.preset.empty()) {
        PresetValues v{};
        int read = 0;
        if (const char *message = read_preset_file(o.preset.c_str(), &v, &read)) {
            std::fprintf(stderr, "vemo-render: %s: %s\n", o.preset.c_str(), message);
            return 1;
        }
        // Through the host interface, which clamps to its range.
        const float frequency = param_to_host(HOST_PARAMS[PARAM_FREQUENCY], v.frequency);
        o.params.insert(o.params.begin(), {{PARAM_STATE, v.state != 0 ? 1.0f : 0.0f},
                                           {PARAM_FREQUENCY, std::clamp(frequency, 0.0f, 1.0f)}});
    }
    // The plug-in reads this when an instance is created.
    if (o.trace)
        setenv("VEMO_TRACE", "1", 1);
    install_interrupt_handlers();
    try {
        if (o.mode == Mode::MakeDemo) {
            const std::string why = check_output_target(o.output, {}, o.force);
            if (!why.empty())
                throw SoundError(why);
            write_demo_file(o.output, o.rate, o.seconds);
            std::fprintf(stderr, "vemo-render: wrote %s\n", o.output.c_str());
            return 0;
        }
        const std::string plugin = find_plugin(o);
        return o.mode == Mode::Response ? run_response(o, plugin) : run_render(o, plugin);
    }
    catch (const UsageError &e) {
        std::fprintf(stderr, "vemo-render: %s\n(vemo-render --help shows the usage)\n", e.what());
        return 2;
    }
    catch (const std::exception &e) {
        std::fprintf(stderr, "vemo-render: %s\n", e.what());
        return interrupted() ? INTERRUPTED_EXIT : 1;
    }
}
