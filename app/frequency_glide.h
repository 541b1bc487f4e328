// Moves the filter frequency toward its target in small steps on the audio
// thread, so that cutoff jumps never burst.
//
// Rule: the glide advances on a grid of TICK samples counted from the start
// of processing (so the path does not depend on the host's block size); at
// each tick the frequency moves toward the target by at most
// OCTAVES_PER_SECOND * TICK / sample_rate octaves (about 0.7 octave per 512
// samples at 44.1 kHz), landing exactly on the target. A target set before
// the first block after open applies at once, and so does one set while the
// filters are switched off.
#pragma once
#include <atomic>
#include <cstdint>

class FrequencyGlide {
public:
    static constexpr int32_t TICK = 16;
    static constexpr double OCTAVES_PER_SECOND = 60.0;

    // Any thread.
    void set_target(double hz) { target.store(hz, std::memory_order_relaxed); }
    double get_target() const { return target.load(std::memory_order_relaxed); }
    void restart() { fresh.store(true, std::memory_order_relaxed); }
    bool is_fresh() const { return fresh.load(std::memory_order_relaxed); }

    // Audio thread. Returns true when the frequency must be set to *hz now:
    // at the first block after restart, or when snap is true (filters off).
    bool begin(bool snap, double *hz);
    bool gliding() const { return current != target.load(std::memory_order_relaxed); }
    // One tick's step; returns the new frequency.
    double step(int32_t sample_rate);

private:
    std::atomic<double> target{0.0};
    std::atomic<bool> fresh{true};
    double current = 0.0;
};
