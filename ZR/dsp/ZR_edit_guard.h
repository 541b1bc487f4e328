// A spin flag between option handlers that reshape an effect (they wait) and
// the audio thread (it only tries, and skips the block when it is taken).
#pragma once
#include <atomic>
#include <thread>

class ZR_edit_guard {
public:
    void lock()
    {
        while (flag.test_and_set(std::memory_order_acquire))
            std::this_thread::yield();
    }
    bool try_lock() { return !flag.test_and_set(std::memory_order_acquire); }
    void unlock() { flag.clear(std::memory_order_release); }

private:
    std::atomic_flag flag = ATOMIC_FLAG_INIT;
};

// Scoped lock for handlers.
class ZR_edit_lock {
public:
    explicit ZR_edit_lock(ZR_edit_guard &g) : guard(g) { guard.lock(); }
    ~ZR_edit_lock() { guard.unlock(); }
    ZR_edit_lock(const ZR_edit_lock &) = delete;
    ZR_edit_lock &operator=(const ZR_edit_lock &) = delete;

private:
    ZR_edit_guard &guard;
};
