// render_file: reads blocks, cuts them at automation events, runs each channel
// through its own instance (output 0) and writes the result.
#include "tools/render/render.h"
#include "tools/render/automation.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/plugin_host.h"
#include "tools/render/progress.h"
#include "tools/render/sound_file.h"

#include <algorithm>
#include <memory>
#include <unistd.h>
#include <vector>

RenderSummary render_file(const Options &o, const std::string &plugin_path)
{
    SoundReader reader(o.input);
    check_output_path(o.input, o.output, o.force);
    const int out_format = output_format_for(reader.format(), o.output, o.format);
    std::vector<AutomationEvent> events;
    if (!o.automation.empty())
        events = load_automation(o.automation);

    RenderSummary summary;
    summary.channels = reader.channels();
    summary.rate = reader.rate();
    summary.output_format = out_format;
    summary.automation_events = events.size();

    // Created before the plug-in is loaded, so that an unwritable folder fails at once.
    SoundWriter writer(o.output, out_format, reader.channels(), reader.rate());
    PluginLibrary library(plugin_path);
    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (int c = 0; c < reader.channels(); ++c)
        instances.push_back(
            std::make_unique<PluginInstance>(library, (float)reader.rate(), o.block));
    const int32_t params = instances[0]->num_params();
    auto check_index = [&](int32_t index, const std::string &where) {
        if (index >= params)
            throw HostError(where + ": the plug-in has no parameter " + std::to_string(index) +
                            " (it has " + std::to_string(params) + ")");
    };
    for (const ParamSetting &p : o.params)
        check_index(p.index, "--param");
    for (const AutomationEvent &e : events)
        check_index(e.index, o.automation + ":" + std::to_string(e.line));
    for (const ParamSetting &p : o.params) {
        for (auto &inst : instances)
            inst->set_parameter(p.index, p.value);
        summary.frequency_set = summary.frequency_set || p.index == PARAM_FREQUENCY;
    }
    size_t next_event = 0;
    for (; next_event < events.size() && automation_frame(events[next_event], reader.rate()) <= 0;
         ++next_event) {
        for (auto &inst : instances)
            inst->set_parameter(events[next_event].index, events[next_event].value);
        summary.frequency_set =
            summary.frequency_set || events[next_event].index == PARAM_FREQUENCY;
    }

    if (params > PARAM_STATE)
        summary.state_value = instances[0]->get_parameter(PARAM_STATE);
    if (params > PARAM_FREQUENCY)
        summary.frequency_value = instances[0]->get_parameter(PARAM_FREQUENCY);
    for (const AutomationEvent &e : events)
        if (e.index == PARAM_FREQUENCY && automation_frame(e, reader.rate()) < reader.frames())
            summary.highest_automated_frequency =
                std::max(summary.highest_automated_frequency, e.value);

    const size_t channels = (size_t)reader.channels();
    const size_t block = (size_t)o.block;
    std::vector<float> interleaved(block * channels), in(block), out(block);
    ProgressBar progress(reader.frames(), !o.quiet);

    // The plug-in starts switched on and fades over one block when it is
    // switched: one block of silence, thrown away, puts the starting state in
    // force from the first sample (silence leaves the filters at rest).
    std::fill(in.begin(), in.end(), 0.0f);
    for (auto &inst : instances)
        inst->process(in.data(), out.data(), o.block);

    int64_t pos = 0;
    for (;;) {
        test_pause_point();
        if (interrupted())
            throw SoundError(
                "interrupted: " + o.output + " was not written" +
                (access(o.output.c_str(), F_OK) == 0 ? " (the previous file is untouched)" : ""));
        // Hosts deliver parameter changes between blocks: cut the block at the event.
        while (next_event < events.size() &&
               automation_frame(events[next_event], reader.rate()) <= pos) {
            for (auto &inst : instances)
                inst->set_parameter(events[next_event].index, events[next_event].value);
            ++next_event;
        }
        int64_t want = (int64_t)block;
        if (next_event < events.size())
            want =
                std::min<int64_t>(want, automation_frame(events[next_event], reader.rate()) - pos);
        int64_t n = reader.read(interleaved.data(), want);
        if (n <= 0)
            break;
        for (size_t c = 0; c < channels; ++c) {
            for (int64_t i = 0; i < n; ++i)
                in[(size_t)i] = interleaved[(size_t)i * channels + c];
            instances[c]->process(in.data(), out.data(), (int32_t)n);
            for (int64_t i = 0; i < n; ++i)
                interleaved[(size_t)i * channels + c] = out[(size_t)i];
        }
        writer.write(interleaved.data(), n);
        pos += n;
        progress.update(pos);
    }
    progress.finish();
    instances.clear(); // switched off and closed before the file is committed
    writer.commit();
    summary.frames = pos;
    summary.clipped = writer.clipped();
    return summary;
}
