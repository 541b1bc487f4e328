// zrsh: builds a graph from a command script, streams an audio file through
// its pipe block by block and writes the chosen output buffers to a file.
#include "tools/common/safe_output.h"
#include "tools/zrsh/zrsh_audio.h"
#include "tools/zrsh/zrsh_script.h"

#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

int fail(const std::string &message, int status = 1)
{
    std::fprintf(stderr, "zrsh: %s\n", message.c_str());
    return status;
}

int usage_error(const std::string &message)
{
    std::fprintf(stderr, "zrsh: %s\n%s", message.c_str(), kUsage);
    return 2;
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
        if (a == "-i" || a == "-o" || a == "-b") {
            if (i + 1 >= argc)
                return usage_error(a + " needs a value");
            (a == "-i" ? input_path : a == "-o" ? output_path : bits) = argv[++i];
        }
        else if (a == "-q") {
            quiet = true;
        }
        else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option '" + a + "'");
        }
        else if (script_path.empty()) {
            script_path = a;
        }
        else {
            return usage_error("one script only: '" + script_path + "', then '" + a + "'");
        }
    }
    if (script_path.empty())
        return usage_error("no script given");
    if (!bits.empty() && bits != "16" && bits != "24" && bits != "32" && bits != "float")
        return usage_error("-b takes 16, 24, 32 or float, not '" + bits + "'");
    if (!output_path.empty()) {
        std::vector<std::string> inputs = {script_path};
        if (!input_path.empty())
            inputs.push_back(input_path);
        const std::string why = check_output_target(output_path, inputs, false);
        if (!why.empty())
            return fail(why);
    }
    install_interrupt_handlers();

    ZrshAudioFile in, out;
    std::string error;
    if (!input_path.empty() && !in.open_read(input_path, error))
        return fail(error);

    ZrshScript script(script_path);
    if (!zrsh_run_file(script, error))
        return fail(error);
    for (const ZrshInput &i : script.inputs) {
        if (input_path.empty())
            return fail(script.file + ":" + std::to_string(i.line) + ": input channel " +
                            std::to_string(i.channel) + " without an input file (-i)",
                        2);
        if (i.channel >= in.channels)
            return fail(script.file + ":" + std::to_string(i.line) + ": input channel " +
                        std::to_string(i.channel) + " is not in '" + input_path + "' (" +
                        std::to_string(in.channels) + " channels)");
    }
    if (!script.outputs.empty() && output_path.empty())
        return fail("the script has outputs: name a file with -o", 2);
    if (script.outputs.empty() && !output_path.empty())
        return fail(script.file + " has no 'output $buffer' line: nothing would be written to '" +
                        output_path + "' (add one, or leave out -o)",
                    2);
    if (!script.outputs.empty() && input_path.empty() && !script.length_given)
        return fail(script.file +
                    ": nothing to stream: give an input file (-i) or a 'length SECONDS' line");
    if (!input_path.empty()) {
        // Channels of the input file that no 'input' line reads are lost: say which.
        std::string unused;
        for (int c = 0; c < in.channels; ++c) {
            bool read = false;
            for (const ZrshInput &i : script.inputs)
                read = read || i.channel == c;
            if (!read)
                unused += (unused.empty() ? "" : ", ") + std::to_string(c);
        }
        if (!unused.empty())
            std::fprintf(stderr,
                         "zrsh: warning: '%s' has %d channel%s; the script does not read channel%s "
                         "%s (an 'input $buffer CHANNEL' line would)\n",
                         input_path.c_str(), in.channels, in.channels == 1 ? "" : "s",
                         unused.find(',') == std::string::npos ? "" : "s", unused.c_str());
    }
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
    // From here on a failure leaves the output as it was (the temporary goes).
    const bool old_output = access(output_path.c_str(), F_OK) == 0;
    auto abandon = [&](const std::string &message, int status = 1) {
        fail(message);
        if (channels_out > 0)
            fail("'" + output_path + "' was not written" +
                 (old_output ? " (the previous file is untouched)" : ""));
        return status;
    };

    std::vector<double> frames_in((size_t)block * (size_t)std::max(in.channels, 1));
    std::vector<double> frames_out((size_t)block * (size_t)std::max(channels_out, 1));
    std::vector<bool> done_timed(script.timed.size(), false);
    Progress progress(!quiet && isatty(2) && total >= 10 * file_rate, total);

    for (int64_t pos = 0; pos < total; pos += block) {
        test_pause_point();
        if (interrupted())
            return abandon("interrupted", INTERRUPTED_EXIT);
        for (size_t t = 0; t < script.timed.size(); ++t) {
            if (done_timed[t] || script.timed[t].seconds * rate > (double)pos)
                continue;
            done_timed[t] = true;
            if (!script.command(script.timed[t].command, script.timed[t].line, error, nullptr))
                return abandon(script.file + ":" + std::to_string(script.timed[t].line) + ": " +
                               error);
        }
        // A timed command may have deleted what the stream uses.
        bool alive = ZR_object_alive(pipe);
        for (const ZrshInput &i : script.inputs)
            alive = alive && ZR_object_alive(i.buffer);
        for (const ZrshOutput &o : script.outputs)
            alive = alive && ZR_object_alive(o.buffer);
        if (!alive)
            return abandon(script.file + ": the pipe or an input or output buffer was deleted");
        if (!script.buffers_intact(error))
            return abandon(script.file + ": " + error);
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
            return abandon("error writing '" + output_path + "': " + std::strerror(errno));
        progress.update(pos + frames);
    }
    if (channels_out > 0 && !out.commit(error))
        return abandon(error);
    return 0;
}
