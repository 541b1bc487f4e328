// Filters a sound file through the plug-in, one instance per channel.
#pragma once
#include "tools/render/options.h"

#include <csignal>
#include <cstdint>
#include <string>

struct RenderSummary {
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    int output_format = 0;
    int64_t clipped = 0;
    size_t automation_events = 0;
};

// Set by a signal handler; the render stops at the next block and removes its
// temporary file.
extern volatile std::sig_atomic_t g_render_interrupted;

// Throws std::runtime_error subclasses with a message for the user.
RenderSummary render_file(const Options &options, const std::string &plugin_path);
