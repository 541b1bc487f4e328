// Magnitude response of the plug-in, measured with steady sine tones.
#pragma once
#include "tools/render/plugin_host.h"

#include <string>
#include <vector>

struct ResponseCurve {
    double cutoff = 0.0; // shown cutoff asked for, Hz
    float host_value = 0.0f;
    std::vector<double> freqs;
    std::vector<double> measured_db, design_db, butterworth_db;
};

// Gain (linear) of a fresh instance, filter on at host value x, for a tone of
// amplitude 0.5: least-squares fit of sine, cosine and offset after the
// filter has settled.
double measure_tone_gain(const PluginLibrary &library, double fs, float host_value, double tone_hz,
                         int32_t block = 512);

// count frequencies spaced evenly on a log scale from 10 Hz to just below Nyquist.
std::vector<double> response_frequencies(double fs, int count);

ResponseCurve measure_response(const PluginLibrary &library, double fs, double cutoff,
                               const std::vector<double> &freqs, int32_t block = 512);

// CSV: one row per curve and frequency; throws std::runtime_error on failure.
void write_response_csv(const std::string &path, const std::vector<ResponseCurve> &curves,
                        double fs);

// path with its extension replaced (or added).
std::string replace_extension(const std::string &path, const std::string &ext);

// Writes text to path through a temporary file renamed into place.
void write_text_file(const std::string &path, const std::string &text);
