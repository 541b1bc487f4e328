// Waiting in tests for another thread's work: polls a condition until it holds
// or a time limit passes.
#pragma once

#include <chrono>
#include <thread>

template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
