// Sound files through libsndfile: reading, choosing the output format, and
// writing through a temporary file that is renamed into place on success.
#pragma once
#include "tools/common/safe_output.h"
#include "tools/render/options.h"

#include <cstdint>
#include <sndfile.h>
#include <stdexcept>
#include <string>
#include <vector>

struct SoundError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class SoundReader {
public:
    explicit SoundReader(const std::string &path);
    ~SoundReader();
    SoundReader(const SoundReader &) = delete;
    SoundReader &operator=(const SoundReader &) = delete;

    int channels() const { return info_.channels; }
    int rate() const { return info_.samplerate; }
    int format() const { return info_.format; }
    int64_t frames() const { return info_.frames; }
    // Interleaved floats, full scale 1.0; returns frames read (0 at the end).
    int64_t read(float *interleaved, int64_t frames);

private:
    std::string path_;
    SNDFILE *file_ = nullptr;
    SF_INFO info_{};
};

// The format word for OUT: the container named by OUT's extension (else the
// input's), the sample type asked for (else the input's). Throws SoundError
// when that combination cannot be written.
int output_format_for(int input_format, const std::string &out_path, SampleFormat requested);

// Text such as "WAV, 24-bit PCM" for messages.
std::string describe_format(int format);

// Refuses OUT when it is IN (same inode, through links too), a folder, or
// read-only without force.
void check_output_path(const std::string &in_path, const std::string &out_path, bool force);

class SoundWriter {
public:
    SoundWriter(const std::string &path, int format, int channels, int rate);
    ~SoundWriter(); // removes the temporary file unless commit() succeeded
    SoundWriter(const SoundWriter &) = delete;
    SoundWriter &operator=(const SoundWriter &) = delete;

    // Interleaved floats; integer formats are rounded and clipped here.
    void write(const float *interleaved, int64_t frames);
    // When an existing file is being replaced, starts writing what has been
    // written so far to the disk, without waiting, so that the flush before
    // the rename finds less to do.
    void start_writeback();
    // Finishes the file and renames it over the destination.
    void commit();
    int64_t clipped() const { return clipped_; }

private:
    void fail(const std::string &what);

    std::string path_;
    SafeOutput out_;
    SNDFILE *file_ = nullptr;
    int channels_;
    int int_bits_ = 0; // 8..32 for integer formats written exactly, else 0
    int64_t clipped_ = 0;
    std::vector<int32_t> ints_;
};
