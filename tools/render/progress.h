// A one-line progress bar on standard error, drawn only when it is a terminal.
#pragma once
#include <cstdint>

class ProgressBar {
public:
    ProgressBar(int64_t total, bool wanted); // total <= 0: unknown length, no bar
    ~ProgressBar();
    void update(int64_t done);
    void finish();

private:
    int64_t total_;
    bool enabled_;
    int last_permille_ = -1;
};
