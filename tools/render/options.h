// Command line of vemo-render.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Mode {
    Render,
    Response,
    MakeDemo,
    Help,
    Version
};
enum class SampleFormat {
    Same,
    Float,
    Pcm16,
    Pcm24
};

// One parameter value given on the command line, applied before the first block.
struct ParamSetting {
    int32_t index;
    float value; // raw host value, 0..1
};

struct Options {
    Mode mode = Mode::Render;
    std::string input;                // render: IN
    std::string output;               // render: OUT; --response: the SVG; --make-demo: the WAV
    std::string plugin;               // "" = search
    std::vector<double> cutoffs;      // shown cutoffs in Hz as given
    std::vector<ParamSetting> params; // --cutoff, --state and --param in command-line order
    int32_t block = 512;
    std::string automation;
    std::string preset; // --preset FILE: its values come before --cutoff, --state, --param
    SampleFormat format = SampleFormat::Same;
    double rate = 48000.0;      // --response and --make-demo
    double seconds = 6.0;       // --make-demo
    bool trace = false;         // sets VEMO_TRACE=1: the plug-in's trace on standard output
    bool quiet = false;         // no progress bar
    bool force = false;         // replace read-only outputs
    bool single_thread = false; // read, filter and write in turn on one thread
};

// Throws UsageError with a one-line reason.
Options parse_options(int argc, const char *const *argv);

const char *usage_text();

// Strict number parsing shared with the automation reader.
bool parse_number(const std::string &text, double *out);
bool parse_state(const std::string &text, float *out); // on|off|1|0
