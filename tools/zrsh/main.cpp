// zrsh: builds a graph from a command script, streams an audio file through
// its pipe block by block and writes the chosen output buffers to a file.
#include "tools/zrsh/zrsh_audio.h"
#include "tools/zrsh/zrsh_script.h"

#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: zrsh [-i INPUT] [-o OUTPUT] [-b 16|24|32|float] [-q] SCRIPT\n"
    "  -i  audio file streamed into the script's input buffers\n"
    "  -o  audio file receiving the script's output buffers\n"
    "  -b  sample format of the output (default float, or 24-bit where float is not possible)\n"
    "  -q  no progress bar\n";

int fail(const std::string &message)
{
    std::fprintf(stderr, "zrsh: %s\n", message.c_str());
    return 1;
}

class Progress {
public:
    Progress(bool on, int64_t total) : enabled(on && total > 0), frames(total) {}
    void update(int64_t done)
    {
        if (!enabled)
            return;
        int percent = (int)(done * 100 / frames);
        if (percent == shown)
            return;
        shown = percent;
        char bar[41];
        std::memset(bar, '-', 40);
        std::memset(bar, '#', (size_t)(percent * 40 / 100));
        bar[40] = 0;
        std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
        std::fflush(stderr);
    }
    ~Progress()
    {
        if (enabled && shown >= 0)
            std::fprintf(stderr, "\n");
    }

private:
    bool enabled;
    int64_t frames;
    int shown = -1;
};

} // namespace

int main(int argc, char **argv)
{
    std::string input_path, output_path, bits, script_path;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-i" || a == "-o" || a == "-b") && i + 1 < argc) {
            (a == "-i" ? input_path : a == "-o" ? output_path : bits) = argv[++i];
        }
        else if (a == "-q") {
            quiet = true;
        }
        else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        else if (a[0] != '-' && script_path.empty()) {
            script_path = a;
        }
        else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (script_path.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!bits.empty() && bits != "16" && bits != "24" && bits != "32" && bits != "float")
        return fail("-b takes 16, 24, 32 or float");

    ZrshAudioFile in, out;
    std::string error;
    if (!input_path.empty() && !in.open_read(input_path, error))
        return fail(error);

    ZrshScript script(script_path);
    if (!zrsh_run_file(script, error))
        return fail(error);
    for (const ZrshInput &i : script.inputs)
        if (input_path.empty() || i.channel >= in.channels)
            return fail(script.file + ":" + std::to_string(i.line) + ": input channel " +
                        std::to_string(i.channel) +
                        (input_path.empty() ? " without an input file (-i)"
                                            : " is not in '" + input_path + "' (" +
                                                  std::to_string(in.channels) + " channels)"));
    if (!script.outputs.empty() && output_path.empty())
        return fail("the script has outputs: name a file with -o");
    ZR_Soundpipe *pipe = script.pipe;
    if (!pipe || !ZR_object_alive(pipe))
        return fail(script.file + ": the script builds no sound pipe");
    const int32_t block = pipe->block_length;
    if (block <= 0)
        return fail(script.file + ": the pipe has no block length (-bl)");

    const int rate = script.clock > 0 ? script.clock : (in.rate > 0 ? in.rate : 44100);
    for (ZR_Chain_Item *i = pipe->effects.first(); i != pipe->effects.end(); i = i->next)
        spcpp("ZR_Effect %o -clock %i", i->owner, rate);

    const int64_t file_rate = in.rate > 0 ? in.rate : rate;
    const int64_t input_frames = input_path.empty() ? 0 : in.frames;
    const int64_t total = input_path.empty()
                              ? (int64_t)std::llround(script.length * rate)
                              : input_frames + (int64_t)std::llround(script.tail * file_rate);
    const int channels_out = (int)script.outputs.size();
    if (channels_out > 0 && !out.open_write(output_path, (int)file_rate, channels_out, bits, error))
        return fail(error);

    std::vector<double> frames_in((size_t)block * (size_t)std::max(in.channels, 1));
    std::vector<double> frames_out((size_t)block * (size_t)std::max(channels_out, 1));
    std::vector<bool> done_timed(script.timed.size(), false);
    Progress progress(!quiet && isatty(2) && total >= 10 * file_rate, total);

    for (int64_t pos = 0; pos < total; pos += block) {
        for (size_t t = 0; t < script.timed.size(); ++t) {
            if (done_timed[t] || script.timed[t].seconds * rate > (double)pos)
                continue;
            done_timed[t] = true;
            if (!script.command(script.timed[t].command, script.timed[t].line, error, nullptr))
                return fail(script.file + ":" + std::to_string(script.timed[t].line) + ": " +
                            error);
        }
        // A timed command may have deleted what the stream uses.
        bool alive = ZR_object_alive(pipe);
        for (const ZrshInput &i : script.inputs)
            alive = alive && ZR_object_alive(i.buffer);
        for (const ZrshOutput &o : script.outputs)
            alive = alive && ZR_object_alive(o.buffer);
        if (!alive)
            return fail(script.file + ": the pipe or an input or output buffer was deleted");
        if (!script.buffers_intact(error))
            return fail(script.file + ": " + error);
        const int64_t frames = std::min<int64_t>(block, total - pos);
        int64_t got = 0;
        if (pos < input_frames)
            got = in.read(frames_in.data(), std::min<int64_t>(frames, input_frames - pos));
        std::fill(frames_in.begin() + got * std::max(in.channels, 1), frames_in.end(), 0.0);
        for (const ZrshInput &i : script.inputs) {
            const int32_t n = std::min(block, i.buffer->length);
            for (int32_t k = 0; k < n; ++k)
                i.buffer->data[k] = zrsh_to_fixed(frames_in[(size_t)k * in.channels + i.channel]);
        }
        pipe->process();
        for (int c = 0; c < channels_out; ++c) {
            const ZrshOutput &o = script.outputs[(size_t)c];
            for (int64_t k = 0; k < frames; ++k) {
                const int64_t at = o.offset + k * o.stride;
                const int32_t v = at < o.buffer->length ? o.buffer->data[at] : 0;
                frames_out[(size_t)k * channels_out + c] = zrsh_from_fixed(v);
            }
        }
        if (channels_out > 0 && !out.write(frames_out.data(), frames))
            return fail("cannot write '" + output_path + "'");
        progress.update(pos + frames);
    }
    return 0;
}
