// What every driver needs between its device thread and the client's thread:
// a gate around the block callback and a reporter for a stream that ended.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// What a stream delivered: blocks passed to the block callback, and the
// device's overruns and underruns (JACK reports both as xruns, counted as
// overruns).
struct RtsCounts {
    long blocks = 0;
    long overruns = 0;
    long underruns = 0;
};

// The device thread runs the block callback only between enter() and leave();
// close() shuts the gate and waits until no callback is running, so that the
// client may then delete channels. The counter and flag pair is a Dekker
// hand-over and needs sequentially consistent order.
class RtsGate {
public:
    void open() { is_open.store(true); }
    bool enter()
    {
        inside.fetch_add(1);
        if (is_open.load())
            return true;
        inside.fetch_sub(1);
        return false;
    }
    void leave() { inside.fetch_sub(1); }
    bool is_closed() const { return !is_open.load(std::memory_order_relaxed); }
    // False when a callback was still running after timeout_ms.
    bool close(int timeout_ms);

private:
    std::atomic<int> inside{0};
    std::atomic<bool> is_open{false};
};

// Reports, once, why a stream ended, through the framework's error routine on
// a thread of its own: the device thread only stores the reason.
class RtsWatch {
public:
    RtsWatch(const char *source, const char *proc) : source(source), proc(proc) {}
    RtsWatch(const RtsWatch &) = delete;
    RtsWatch &operator=(const RtsWatch &) = delete;
    ~RtsWatch() { stop(); }

    void start();
    // Safe on the device thread: no lock, no allocation. The first reason wins;
    // the text must stay valid until stop().
    void raise(const char *reason);
    bool raised() const { return reason.load(std::memory_order_acquire) != nullptr; }
    // Ends the reporter thread (after its report, if one was raised).
    void stop();

private:
    void run();

    const char *source;
    const char *proc;
    std::atomic<const char *> reason{nullptr};
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};
