// ZrshAudioFile: reading any format libsndfile knows, writing by extension.
#include "tools/zrsh/zrsh_audio.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int major_format(const std::string &path)
{
    std::string ext;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos)
        ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    if (ext == "flac")
        return SF_FORMAT_FLAC;
    if (ext == "aif" || ext == "aiff")
        return SF_FORMAT_AIFF;
    if (ext == "au")
        return SF_FORMAT_AU;
    if (ext == "caf")
        return SF_FORMAT_CAF;
    if (ext == "ogg")
        return SF_FORMAT_OGG;
    return SF_FORMAT_WAV;
}

} // namespace

ZrshAudioFile::~ZrshAudioFile()
{
    if (file)
        sf_close(file);
}

bool ZrshAudioFile::open_read(const std::string &path, std::string &error)
{
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = "cannot open '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    rate = info.samplerate;
    channels = info.channels;
    frames = info.frames;
    return true;
}

bool ZrshAudioFile::open_write(const std::string &path, int rate_, int channels_,
                               const std::string &bits, std::string &error)
{
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = rate_;
    info.channels = channels_;
    const int major = major_format(path);
    int sub = major == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SF_FORMAT_FLOAT;
    if (bits == "16")
        sub = SF_FORMAT_PCM_16;
    else if (bits == "24")
        sub = SF_FORMAT_PCM_24;
    else if (bits == "32")
        sub = SF_FORMAT_PCM_32;
    info.format = major | sub;
    if (!sf_format_check(&info))
        info.format = major | SF_FORMAT_PCM_24;
    if (!sf_format_check(&info)) {
        error = "no usable sample format for '" + path + "'";
        return false;
    }
    if (!output.open(path, error))
        return false;
    file = sf_open_fd(output.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!file) {
        error = "cannot create '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    // Integer formats clip instead of wrapping.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    rate = rate_;
    channels = channels_;
    return true;
}

bool ZrshAudioFile::commit(std::string &error)
{
    const int status = file ? sf_close(file) : SF_ERR_NO_ERROR;
    file = nullptr;
    if (status != SF_ERR_NO_ERROR) {
        error = "error finishing '" + output.target() + "': " + sf_error_number(status);
        return false;
    }
    return output.commit(error);
}

int64_t ZrshAudioFile::read(double *out, int64_t count)
{
    return file ? sf_readf_double(file, out, count) : 0;
}

bool ZrshAudioFile::write(const double *in, int64_t count)
{
    return file && sf_writef_double(file, in, count) == count;
}

int32_t zrsh_to_fixed(double x)
{
    if (std::isnan(x))
        return 0;
    x = std::max(-1.0, std::min(1.0, x));
    return (int32_t)std::lrint(x * 1073741824.0);
}
