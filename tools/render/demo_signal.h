// A short stereo demo signal: two chords with bright harmonics and noise bursts.
#pragma once
#include <string>
#include <vector>

// Interleaved stereo, peak 0.7, deterministic.
std::vector<float> demo_signal(double rate, double seconds);

// Writes demo_signal as 24-bit WAV (through the safe writer).
void write_demo_file(const std::string &path, double rate, double seconds);
