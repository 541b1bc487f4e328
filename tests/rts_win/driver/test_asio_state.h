// What the test ASIO driver was asked to do and what it played: shared by the
// driver DLL and the tests, which read it through the DLL's export.
#pragma once
#include <atomic>

namespace test_asio {

constexpr int MAX_CHANNELS = 32;
constexpr int RECORD_FRAMES = 8192;
constexpr int RECORD_OUTPUTS = 4;
constexpr int RECORD_HALVES = 32;

// Message calls the driver makes once after start: {selector, value}.
constexpr long ASKED[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4},  {1, 5}, {1, 6},
                             {1, 7}, {1, 8}, {1, 9}, {1, 10}, {2, 0}, {3, 0},
                             {4, 0}, {5, 0}, {6, 0}, {7, 0},  {8, 0}, {9, 0}};
constexpr int ASKED_COUNT = sizeof ASKED / sizeof ASKED[0];

struct State {
    std::atomic<int> created{0}, released{0}, inits{0};
    std::atomic<int> starts{0}, stops{0}, creates{0}, disposes{0}, refused_creates{0};
    std::atomic<int> rate_set{0};     // last rate the client set
    std::atomic<int> buffer_count{0}; // descriptions in the last create
    std::atomic<int> buffer_size{0};
    long infos[MAX_CHANNELS][2] = {}; // is-input, channel number of each
    long answers[ASKED_COUNT] = {};   // the client's message answers
    std::atomic<int> answered{0};
    long halves[RECORD_HALVES] = {}; // buffer indices of the first switches
    // Inputs as the driver wrote them and outputs as it read them back, as
    // doubles in [-1, 1], for the first RECORD_FRAMES frames.
    double input[MAX_CHANNELS][RECORD_FRAMES] = {};
    double output[RECORD_OUTPUTS][RECORD_FRAMES] = {};
    std::atomic<int> frames_recorded{0};
    std::atomic<long> switches{0};
    // While set, a started driver waits before its first buffer switch.
    std::atomic<bool> hold{false};
};

// The driver's exported accessor.
typedef State *(*StateFunc)();
// Forgets everything recorded (call while no driver object exists).
typedef void (*ResetFunc)();

} // namespace test_asio
