// Output files that are either complete or untouched: written to a hidden
// temporary beside the target and renamed over it only when the run completed.
// Also the checks before writing, and the interrupt flag both tools poll.
#pragma once
#include <csignal>
#include <string>
#include <vector>

// "" when out may be written, else a message saying why not and what to do:
// out is a folder, out is one of inputs (same file by inode, through hard or
// symbolic links), or out is read-only and force is false.
std::string check_output_target(const std::string &out, const std::vector<std::string> &inputs,
                                bool force);

class SafeOutput {
public:
    SafeOutput() = default;
    ~SafeOutput(); // discards the temporary unless commit() succeeded
    SafeOutput(const SafeOutput &) = delete;
    SafeOutput &operator=(const SafeOutput &) = delete;

    // Creates the temporary in target's folder; false with error set.
    bool open(const std::string &target, std::string &error);
    int fd() const { return fd_; }
    const std::string &temp_path() const { return temp_; }
    const std::string &target() const { return target_; }
    // Whether the target existed when open() ran: commit() then flushes the
    // data to disk before the rename.
    bool replaces() const { return replaces_; }

    // Closes the temporary and renames it over the target; a file it replaces
    // (then or now) is flushed to disk first, so that a crash leaves the old or
    // the new file. A replaced file's permission bits carry over; a new file
    // gets 0666 & ~umask.
    // Whoever wrote through fd() must have finished (not closed it).
    bool commit(std::string &error);
    // Closes and removes the temporary; the target stays as it was.
    void discard();

private:
    std::string target_, temp_;
    int fd_ = -1;
    bool replaces_ = false;
};

// Writes text to path through a SafeOutput; false with error set.
bool write_file_safely(const std::string &path, const std::string &text, std::string &error);

// SIGINT and SIGTERM set a flag instead of ending the process, so that the
// tool can stop at the next block and discard its temporary.
void install_interrupt_handlers();
bool interrupted();
constexpr int INTERRUPTED_EXIT = 130;

// Test hook: when the environment variable VEMO_TEST_PAUSE_AT is n, the n-th
// call (counting from 1) prints "paused" on standard error and waits until a
// signal arrives. Needs install_interrupt_handlers() first.
void test_pause_point();
