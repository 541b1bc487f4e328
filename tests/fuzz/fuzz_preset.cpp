// Arbitrary bytes as a preset file: the reader must refuse or accept without
// touching memory it does not own, and never accept a value that is not finite.
#include "app/ZR_Application_Preset.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// The reader takes a path: one scratch file per process, removed at exit.
struct Scratch {
    const std::string path = "/tmp/fuzz_preset." + std::to_string(getpid());
    ~Scratch() { unlink(path.c_str()); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Scratch scratch;
    const std::string &path = scratch.path;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    PresetValues v{};
    int read = 0;
    const char *message = read_preset_file(path.c_str(), &v, &read);
    if ((message == nullptr) != (read == 2) || (read == 2 && !std::isfinite(v.frequency)))
        std::abort();
    return 0;
}
