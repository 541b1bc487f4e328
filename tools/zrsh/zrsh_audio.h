// Audio files for zrsh through libsndfile, and the conversion between file
// samples and the framework's fixed point (full scale 2^30).
#pragma once
#include "tools/common/safe_output.h"

#include <cstdint>
#include <string>

typedef struct sf_private_tag SNDFILE;

class ZrshAudioFile {
public:
    ZrshAudioFile() = default;
    ~ZrshAudioFile();
    ZrshAudioFile(const ZrshAudioFile &) = delete;
    ZrshAudioFile &operator=(const ZrshAudioFile &) = delete;

    bool open_read(const std::string &path, std::string &error);
    // The format follows the file name's extension; bits is "", "16", "24",
    // "32" or "float". The samples go to a temporary file beside path, which
    // commit() renames over it; without commit() path is left as it was.
    bool open_write(const std::string &path, int rate, int channels, const std::string &bits,
                    std::string &error);
    bool commit(std::string &error);
    // Interleaved frames; returns the frames read (0 at the end).
    int64_t read(double *frames, int64_t count);
    bool write(const double *frames, int64_t count);

    int rate = 0;
    int channels = 0;
    int64_t frames = 0;

private:
    SNDFILE *file = nullptr;
    SafeOutput output;
};

// File sample to fixed point: clipped to [-1, 1], scaled by 2^30.
int32_t zrsh_to_fixed(double x);
// Fixed point to file sample.
inline double zrsh_from_fixed(int32_t v)
{
    return v / 1073741824.0;
}
