// A plain per-sample model of the plug-in's arithmetic, independent of the
// framework: host float to fixed point, two stages of one-pole minus
// band-pass, sub-blocks of 512 samples with the one-block switching fade, and
// the cutoff glide: logarithmic steps on a 16-sample grid counted from the
// first sample.
#pragma once

#include <cstdint>
#include <vector>

class FilterModel {
public:
    // Host values as setParameter receives them.
    void set_frequency(float host_value);
    // The Frequency record's stored value (knob units, 20..8333).
    void set_knob(float value);
    void set_state(float host_value);
    void set_sample_rate(float rate);
    // One host call.
    std::vector<float> process(const std::vector<float> &in);
    std::vector<float> run(const std::vector<float> &in, const std::vector<int32_t> &blocks);

    // Frequency handed to the four filters (1.2 times the shown cutoff).
    float filter_hz() const { return filter; }

private:
    struct Stage {
        uint32_t b = 0;                         // one-pole state
        int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0; // band-pass state
    };

    // Coefficients for filter frequency hz, capped at 0.225 times the rate.
    void design(double hz);
    // One grid step of the glide toward target_hz.
    void glide_step();
    int32_t stage(Stage &s, int32_t x) const;

    int32_t fs = 0;
    float filter = 0.0f;
    double target_hz = 0.0, current_hz = 0.0;
    bool fresh = true; // no block yet: a new frequency applies at once
    uint64_t samples = 0;
    bool on = true, previous_on = true;
    uint32_t alpha = 0;
    int32_t k1 = 0, k2 = 0, k3 = 0;
    Stage stages[2];

public:
    FilterModel() { set_knob(1500.0f); }
};
