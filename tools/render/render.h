// Filters a sound file through the plug-in, one instance per channel.
#pragma once
#include "tools/render/options.h"

#include <cstdint>
#include <string>

struct RenderSummary {
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    int output_format = 0;
    int64_t clipped = 0;
    size_t automation_events = 0;
    // Host values in force at the first sample (-1: the plug-in has no such
    // parameter), and the highest Frequency value the automation sets.
    float state_value = -1.0f;
    float frequency_value = -1.0f;
    float highest_automated_frequency = -1.0f;
    bool frequency_set = false; // by an option or by automation at the start
};

// Throws std::runtime_error subclasses with a message for the user.
RenderSummary render_file(const Options &options, const std::string &plugin_path);
