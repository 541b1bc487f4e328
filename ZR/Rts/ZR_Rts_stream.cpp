// RtsGate's bounded close and RtsWatch's reporter thread.
#include "ZR/Rts/ZR_Rts_stream.h"
#include "ZR/core/ZR_cfuncs.h"

#include <chrono>

bool RtsGate::close(int timeout_ms)
{
    is_open.store(false);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (inside.load() != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void RtsWatch::start()
{
    stop();
    reason.store(nullptr, std::memory_order_relaxed);
    stopping = false;
    thread = std::thread([this] { run(); });
}

void RtsWatch::raise(const char *why)
{
    const char *none = nullptr;
    reason.compare_exchange_strong(none, why, std::memory_order_acq_rel);
}

void RtsWatch::stop()
{
    if (!thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

void RtsWatch::run()
{
    // The device thread cannot notify without a system call, so the reporter
    // looks for a reason every few milliseconds.
    std::unique_lock<std::mutex> lock(mutex);
    bool reported = false;
    for (;;) {
        const char *why = reason.load(std::memory_order_acquire);
        if (why && !reported) {
            reported = true;
            lock.unlock();
            ZR_error_func(source, 0, proc, __DATE__, __TIME__, why);
            lock.lock();
        }
        if (stopping)
            return;
        wake.wait_for(lock, std::chrono::milliseconds(20));
    }
}
