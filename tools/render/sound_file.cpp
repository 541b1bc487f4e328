// SoundReader, SoundWriter and the output format rules.
#include "tools/render/sound_file.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    return s;
}

std::string extension_of(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot + 1 == path.size())
        return "";
    return lower(path.substr(dot + 1));
}

// Extension a major format is written with, from libsndfile's own table.
std::string extension_of_major(int major)
{
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO fi{};
        fi.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &fi, sizeof fi) == 0 && fi.format == major)
            return fi.extension ? lower(fi.extension) : "";
    }
    return "";
}

int major_for_extension(const std::string &ext)
{
    if (ext == "aif")
        return SF_FORMAT_AIFF;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO fi{};
        fi.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &fi, sizeof fi) == 0 && fi.extension &&
            lower(fi.extension) == ext)
            return fi.format;
    }
    return 0;
}

int integer_bits(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

} // namespace

SoundReader::SoundReader(const std::string &path) : path_(path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        throw SoundError("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        throw SoundError("cannot read " + path + ": it is a folder");
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (!file_)
        throw SoundError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info_.channels < 1 || info_.samplerate < 1) {
        sf_close(file_);
        throw SoundError(path + ": no channels or no sample rate");
    }
}

SoundReader::~SoundReader()
{
    sf_close(file_);
}

int64_t SoundReader::read(float *interleaved, int64_t frames)
{
    sf_count_t n = sf_readf_float(file_, interleaved, frames);
    if (n < frames && sf_error(file_) != SF_ERR_NO_ERROR)
        throw SoundError("error reading " + path_ + ": " + sf_strerror(file_));
    return n;
}

std::string describe_format(int format)
{
    SF_FORMAT_INFO major{}, sub{};
    major.format = format & SF_FORMAT_TYPEMASK;
    sub.format = format & SF_FORMAT_SUBMASK;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major);
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub);
    return std::string(major.name ? major.name : "unknown container") + ", " +
           (sub.name ? sub.name : "unknown samples");
}

int output_format_for(int input_format, const std::string &out_path, SampleFormat requested)
{
    int in_major = input_format & SF_FORMAT_TYPEMASK;
    std::string ext = extension_of(out_path);
    int major = in_major;
    if (!ext.empty() && ext != extension_of_major(in_major) &&
        !(ext == "aif" && in_major == SF_FORMAT_AIFF)) {
        major = major_for_extension(ext);
        if (!major)
            throw SoundError("cannot tell the file type from '." + ext +
                             "': use an extension such as .wav, .flac, .aiff or .caf");
    }
    int subtype = input_format & SF_FORMAT_SUBMASK;
    switch (requested) {
    case SampleFormat::Float:
        subtype = SF_FORMAT_FLOAT;
        break;
    case SampleFormat::Pcm16:
        subtype = SF_FORMAT_PCM_16;
        break;
    case SampleFormat::Pcm24:
        subtype = SF_FORMAT_PCM_24;
        break;
    case SampleFormat::Same:
        break;
    }
    int format = major | subtype;
    if (major == in_major)
        format |= input_format & SF_FORMAT_ENDMASK;
    SF_INFO probe{};
    probe.format = format;
    probe.channels = 1;
    probe.samplerate = 44100;
    if (!sf_format_check(&probe)) {
        // Name the sample formats this container does take.
        std::string usable;
        const std::pair<const char *, int> choices[] = {
            {"float", SF_FORMAT_FLOAT}, {"pcm16", SF_FORMAT_PCM_16}, {"pcm24", SF_FORMAT_PCM_24}};
        for (const auto &c : choices) {
            SF_INFO other = probe;
            other.format = major | c.second;
            if (c.second != subtype && sf_format_check(&other))
                usable += std::string(usable.empty() ? "" : " or ") + c.first;
        }
        throw SoundError("cannot write " + describe_format(format) +
                         (usable.empty()
                              ? ": choose another file type"
                              : ": choose --format " + usable + " or another file type"));
    }
    return format;
}

void check_output_path(const std::string &in_path, const std::string &out_path, bool force)
{
    const std::string why = check_output_target(out_path, {in_path}, force);
    if (!why.empty())
        throw SoundError(why + (why.find("read-only") != std::string::npos ? " (or --force)" : ""));
}

SoundWriter::SoundWriter(const std::string &path, int format, int channels, int rate)
    : path_(path), channels_(channels)
{
    std::string error;
    if (!out_.open(path, error))
        throw SoundError(error);
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    file_ = sf_open_fd(out_.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!file_)
        fail(std::string("cannot write ") + describe_format(format) + ": " + sf_strerror(nullptr));
    int_bits_ = integer_bits(format & SF_FORMAT_SUBMASK);
    int subtype = format & SF_FORMAT_SUBMASK;
    if (!int_bits_ && subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE)
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundWriter::~SoundWriter()
{
    if (file_)
        sf_close(file_);
}

void SoundWriter::fail(const std::string &what)
{
    throw SoundError(what.empty() ? "error writing " + path_ : what);
}

void SoundWriter::start_writeback()
{
    // Advice only: where the call is refused, commit's flush does it all. A new
    // file is not flushed, so its pages are left to the kernel.
    if (out_.replaces())
        sync_file_range(out_.fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

void SoundWriter::write(const float *interleaved, int64_t frames)
{
    sf_count_t written;
    if (int_bits_) {
        // Rounded to the file's step and placed in the top bits, so that
        // libsndfile's shift is exact (its own float path scales by 2^(b-1)-1).
        const size_t n = (size_t)frames * (size_t)channels_;
        ints_.resize(n);
        const double scale = std::ldexp(1.0, int_bits_ - 1);
        const double hi = scale - 1.0, lo = -scale;
        const int shift = 32 - int_bits_;
        for (size_t i = 0; i < n; ++i) {
            double v = std::nearbyint((double)interleaved[i] * scale);
            if (std::isnan(v)) {
                v = 0.0;
                ++clipped_;
            }
            else if (v > hi) {
                v = hi;
                ++clipped_;
            }
            else if (v < lo) {
                v = lo;
                ++clipped_;
            }
            ints_[i] = (int32_t)((uint32_t)(int32_t)v << shift);
        }
        written = sf_writef_int(file_, ints_.data(), frames);
    }
    else {
        written = sf_writef_float(file_, interleaved, frames);
    }
    if (written != frames)
        fail("error writing " + path_ + ": " + sf_strerror(file_) + " (" + std::strerror(errno) +
             ")");
}

void SoundWriter::commit()
{
    int err = sf_close(file_);
    file_ = nullptr;
    if (err)
        fail("error finishing " + path_ + ": " + sf_error_number(err));
    std::string error;
    if (!out_.commit(error))
        fail(error);
}
