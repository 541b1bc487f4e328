// Preset files: a fixed header text, then the State and Frequency value words
// as stored in their records (little-endian, no padding).
#pragma once
#include <cstddef>
#include <cstdint>

// "Preset file (*.vemo)" for the file dialogs.
extern const char PRESET_FILTER[];

// The header text, including its terminating zero byte (preset_header_size()
// bytes, at most 256).
const char *preset_header();
std::size_t preset_header_size();

// The two value words of a preset, raw.
struct PresetValues {
    int32_t state;
    float frequency;
};

// Reads path into out. Returns null on success, else the message for the
// user; *read tells how many of the two words were read (the first may be
// valid when the second failed). A Frequency that is not a finite number is
// refused as bad content, with neither word counted as read.
const char *read_preset_file(const char *path, PresetValues *out, int *read);

// Writes values to path through a temporary file beside it, renamed over the
// target only once complete: a failure leaves any earlier file intact.
// Returns null on success, else the message for the user.
const char *write_preset_file(const char *path, const PresetValues &values);
