// Helpers for the renderer's tests: temporary folders, sound files, and runs of the binary.
#pragma once
#include <sndfile.h>

#include <string>
#include <utility>
#include <vector>

struct RunResult {
    int status = -1; // exit code, or 128 + signal
    std::string out, err;
};

struct RunOptions {
    std::vector<std::pair<std::string, std::string>> env;
    long file_size_limit = -1; // bytes, RLIMIT_FSIZE in the child (SIGXFSZ ignored)
    std::string cwd;           // the child's working folder ("" = this one)
    // With VEMO_TEST_PAUSE_AT in env: the signal sent once the run says "paused".
    int interrupt_signal = 0;
};

RunResult run_renderer(const std::vector<std::string> &args, const RunOptions &options = {});

// The probe plug-in and, when it was built, vemo.so (else "").
std::string probe_plugin();
std::string real_plugin();

// A quiet run with the probe plug-in, which logs the host's calls to log.
RunResult run_probe(std::vector<std::string> args, const std::string &log, RunOptions options = {});

class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::vector<std::string> entries() const; // names, sorted, without . and ..
    std::string path;
};

struct Sound {
    SF_INFO info{};
    std::vector<float> samples; // interleaved
};

void write_sound(const std::string &path, int format, int channels, int rate,
                 const std::vector<float> &samples);
Sound read_sound(const std::string &path);
std::string read_text(const std::string &path);
void write_text(const std::string &path, const std::string &text);

std::vector<float> sine_wave(size_t frames, double hz, double rate, double amplitude);
