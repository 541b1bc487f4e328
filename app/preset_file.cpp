// Preset files on disk: the header text, the reader with every refusal,
// and the writer that replaces a file only once the new one is complete.
#include "app/ZR_Application_Preset.h"
#include "app/ZR_maker.h"
#include "app/file_ops.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

const char PRESET_FILTER[] = "Preset file (*.vemo)\0*.vemo\0";

namespace {
constexpr std::size_t HEADER_MAX = 256;

struct Header {
    char text[HEADER_MAX] = {};
    std::size_t size = 0;
    Header()
    {
        size = (std::size_t)std::snprintf(text, sizeof text, "%s %s", ZR_MAKER_ADDRESS,
                                          ZR_EFFECT_NAME) +
               1;
    }
};
static_assert(sizeof ZR_MAKER_ADDRESS + sizeof ZR_EFFECT_NAME <= HEADER_MAX,
              "the preset header fits 256 bytes");

const Header &header()
{
    static const Header h;
    return h;
}

// The host is little-endian (x86, ARM); the words go out as they lie.
static_assert(sizeof(int32_t) == 4 && sizeof(float) == 4, "4-byte value words");

const char *write_file(FILE *f, const PresetValues &v)
{
    if (std::fwrite(header().text, header().size, 1, f) != 1)
        return "Cannot write header to preset file.";
    if (std::fwrite(&v.state, 4, 1, f) != 1 || std::fwrite(&v.frequency, 4, 1, f) != 1)
        return "Cannot write params to preset file.";
    return nullptr;
}
} // namespace

const char *preset_header()
{
    return header().text;
}

std::size_t preset_header_size()
{
    return header().size;
}

const char *read_preset_file(const char *path, PresetValues *out, int *read)
{
    *read = 0;
    FILE *f = std::fopen(path, "rb");
    if (!f)
        return "Cannot open this file.";
    const std::size_t size = header().size;
    const char *message = nullptr;
    char buffer[HEADER_MAX] = {};
    long end = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        end = std::ftell(f);
    if (end != (long)(size + 8))
        message = "Bad content in preset file.";
    else if (std::fseek(f, 0, SEEK_SET) != 0 || std::fread(buffer, size, 1, f) != 1)
        message = "Cannot read header in preset file.";
    else if (std::strncmp(buffer, header().text, size) != 0)
        message = "Wrong header in preset file.";
    else if (std::fread(&out->state, 4, 1, f) != 1)
        message = "Cannot read params from preset file.";
    else {
        *read = 1;
        if (std::fread(&out->frequency, 4, 1, f) != 1)
            message = "Cannot read params from preset file.";
        else if (!std::isfinite(out->frequency)) {
            // It would drive the knob, the text and the filters with NaN.
            *read = 0;
            message = "Bad content in preset file.";
        }
        else
            *read = 2;
    }
    std::fclose(f);
    return message;
}

const char *write_preset_file(const char *path, const PresetValues &values)
{
    static std::atomic<unsigned> counter{0};
    const std::string temp = std::string(path) + ".tmp" + std::to_string(file_ops_process_id()) +
                             "-" + std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    FILE *f = file_ops_create_new(temp.c_str());
    if (!f)
        return "Cannot open preset file.";
    const char *message = write_file(f, values);
    // A failed flush at close means the values never reached the file.
    if (std::fclose(f) != 0 && !message)
        message = "Cannot write params to preset file.";
    if (!message && !file_ops_replace(temp.c_str(), path))
        message = "Cannot open preset file.";
    if (message)
        std::remove(temp.c_str());
    return message;
}
