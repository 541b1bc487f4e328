// Helpers for the zrsh tests: temporary audio files and running the program.
#pragma once
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

struct Audio {
    int rate = 0;
    int channels = 0;
    std::vector<double> samples; // interleaved
    double at(size_t frame, int channel = 0) const { return samples[frame * channels + channel]; }
    size_t frames() const { return channels ? samples.size() / channels : 0; }
};

inline std::string temp_path(const std::string &name)
{
    return std::string(::testing::TempDir()) + "zrsh_" + std::to_string(getpid()) + "_" + name;
}

inline void write_audio(const std::string &path, const Audio &a)
{
    SF_INFO info{};
    info.samplerate = a.rate;
    info.channels = a.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_writef_double(f, a.samples.data(), (sf_count_t)a.frames());
    sf_close(f);
}

inline Audio read_audio(const std::string &path)
{
    Audio a;
    SF_INFO info{};
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return a;
    a.rate = info.samplerate;
    a.channels = info.channels;
    a.samples.resize((size_t)(info.frames * info.channels));
    sf_readf_double(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

struct ZrshRun {
    int status;
    std::string errors;
};

// Runs zrsh with the given arguments; standard error is captured.
inline ZrshRun run_zrsh(const std::string &arguments)
{
    const std::string err = temp_path("stderr.txt");
    const std::string command =
        std::string(ZRSH_PATH) + " -q " + arguments + " > /dev/null 2> " + err;
    int status = std::system(command.c_str());
    std::ifstream in(err);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(err.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

inline std::string example(const std::string &name)
{
    return std::string(ZRSH_EXAMPLES) + "/" + name;
}

inline std::string write_script(const std::string &name, const std::string &text)
{
    const std::string path = temp_path(name);
    std::ofstream(path) << text;
    return path;
}

inline double rms(const Audio &a, double from, double to, int channel = 0)
{
    double sum = 0;
    size_t b = (size_t)(from * a.rate), e = (size_t)(to * a.rate);
    for (size_t i = b; i < e; ++i)
        sum += a.at(i, channel) * a.at(i, channel);
    return std::sqrt(sum / (double)(e - b));
}
