// The host parameters described once: names, texts, ranges, and the mappings
// between host values (0..1), record values and what the user is shown.
#pragma once
#include <cstddef>
#include <cstdint>

// Knob range in its own units; the shown cutoff spans the same range in Hz.
constexpr float KNOB_MIN = 20.0f;
constexpr float KNOB_MAX = 8333.0f;
constexpr float KNOB_DEFAULT = 1500.0f;
// The filters run at this multiple of the shown cutoff.
constexpr double FILTER_RATIO = 1.2;

enum class ParamKind {
    Switch, // record value 0 or not; host values above 0.5 are on
    Cutoff  // record value on the knob's range; shown as the quadratic cutoff in Hz
};

struct ParamInfo {
    const char *name;       // full name ("Frequency")
    const char *short_name; // fits the host's 8-byte texts
    ParamKind kind;
    const char *unit;     // label beside the displayed number ("Hz")
    const char *on_text;  // a switch's display when on
    const char *off_text; // and when off
    float minimum;        // record value range (knob units)
    float maximum;
    float default_value;
};

enum {
    PARAM_STATE,
    PARAM_FREQUENCY,
    HOST_PARAM_COUNT
};

extern const ParamInfo HOST_PARAMS[HOST_PARAM_COUNT];

// Record value for a host value x, clamped to 0..1 (x must not be NaN).
float param_from_host(const ParamInfo &info, float x);
// Host value 0..1 for a record value.
float param_to_host(const ParamInfo &info, float value);

// The cutoff shown for a knob value: min + (max - min) t^2 with t the knob's
// travel 0..1, in single precision.
float shown_cutoff(float knob_value);
// The shown cutoff for a host value, and the host value whose shown cutoff
// is hz (clamped to the range), never below it by rounding.
float cutoff_from_host(float x);
float cutoff_to_host(double hz);

// The texts a host shows, written with snprintf into text (size bytes).
void param_display(const ParamInfo &info, float value, char *text, std::size_t size);
void param_label(const ParamInfo &info, char *text, std::size_t size);

// Host value for a text a user typed: for a switch "on", "off", "1", "0"; for
// the cutoff a number with an optional "Hz" or "kHz", clamped to the shown
// range. Case and surrounding blanks do not matter. False for anything else.
bool param_parse(const ParamInfo &info, const char *text, float *host_value);
