// parse_options: strict parsing, one reason per error.
#include "tools/render/options.h"
#include "tools/render/cutoff_map.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

const char kUsage[] =
    "usage: vemo-render IN OUT [options]          filter a sound file\n"
    "       vemo-render --response OUT.svg [--cutoff HZ ...] [--rate HZ]\n"
    "                                              measure the magnitude response (SVG + CSV)\n"
    "       vemo-render --make-demo OUT.wav [--rate HZ] [--seconds S]\n"
    "                                              write a short demo signal\n"
    "\n"
    "options:\n"
    "  --plugin PATH        the plug-in to load (default: the built vemo.so, else\n"
    "                       vemo.so in VST_PATH, LXVST_PATH, <prefix>/lib/vst, ~/.vst)\n"
    "  --cutoff HZ          shown cutoff, 20 to 8333 Hz (repeatable with --response);\n"
    "                       default: the plug-in's own, about 283 Hz, filter on\n"
    "  --state on|off       filter on or off (bypass)\n"
    "  --param INDEX=VALUE  raw host value 0..1 for parameter INDEX (0 State, 1 Frequency)\n"
    "  --preset FILE        State and Frequency from a preset file saved by the editor\n"
    "  --block N            host block size, 1 to 65536 (default 512)\n"
    "  --automation FILE    timed parameter changes: lines 'TIME_SECONDS PARAM VALUE',\n"
    "                       PARAM is cutoff (Hz), state (on/off) or an index (raw value)\n"
    "  --format F           output samples: float, pcm16 or pcm24 (default: like IN)\n"
    "  --rate HZ            sample rate for --response and --make-demo (default 48000)\n"
    "  --seconds S          length of the demo signal (default 6)\n"
    "  --trace              the plug-in's dispatcher trace on standard output\n"
    "  --quiet              no progress bar\n"
    "  --single-thread      read, filter and write in turn on one thread\n"
    "  --force              replace an output file even when it is read-only\n"
    "  -h, --help           this text\n"
    "  --version            the renderer's version\n";

bool parse_int(const std::string &text, long *out)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end)
        return false;
    *out = v;
    return true;
}

double cutoff_value(const std::string &text)
{
    double hz;
    if (!parse_number(text, &hz))
        throw UsageError("--cutoff: '" + text + "' is not a number");
    if (hz < KNOB_MIN || hz > KNOB_MAX)
        throw UsageError("--cutoff: " + text + " Hz is outside 20 to 8333 Hz");
    return hz;
}

} // namespace

bool parse_number(const std::string &text, double *out)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

bool parse_state(const std::string &text, float *out)
{
    if (text == "on" || text == "1") {
        *out = 1.0f;
        return true;
    }
    if (text == "off" || text == "0") {
        *out = 0.0f;
        return true;
    }
    return false;
}

const char *usage_text()
{
    return kUsage;
}

Options parse_options(int argc, const char *const *argv)
{
    Options o;
    std::vector<std::string> positional;
    bool rate_given = false, seconds_given = false, state_given = false;
    bool render_only_given = false; // --state, --param, --automation, --format
    std::string render_only_name;
    int mode_flags = 0;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            for (++i; i < argc; ++i)
                positional.push_back(argv[i]);
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        std::string name = arg, value;
        bool has_inline = false;
        size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            has_inline = true;
        }
        auto take_value = [&]() -> std::string {
            if (has_inline)
                return value;
            if (i + 1 >= argc)
                throw UsageError(name + " needs a value");
            return argv[++i];
        };
        auto no_value = [&]() {
            if (has_inline)
                throw UsageError(name + " takes no value");
        };
        auto render_only = [&]() {
            render_only_given = true;
            render_only_name = name;
        };

        if (name == "-h" || name == "--help") {
            no_value();
            o.mode = Mode::Help;
            return o;
        }
        else if (name == "--version") {
            no_value();
            o.mode = Mode::Version;
            return o;
        }
        else if (name == "--response") {
            o.mode = Mode::Response;
            o.output = take_value();
            ++mode_flags;
        }
        else if (name == "--make-demo") {
            o.mode = Mode::MakeDemo;
            o.output = take_value();
            ++mode_flags;
        }
        else if (name == "--plugin") {
            o.plugin = take_value();
            if (o.plugin.empty())
                throw UsageError("--plugin needs a path");
        }
        else if (name == "--cutoff") {
            double hz = cutoff_value(take_value());
            o.cutoffs.push_back(hz);
            o.params.push_back({PARAM_FREQUENCY, host_value_for_cutoff(hz)});
        }
        else if (name == "--state") {
            std::string v = take_value();
            float s;
            if (!parse_state(v, &s))
                throw UsageError("--state: expected on or off, got '" + v + "'");
            if (state_given)
                throw UsageError("--state given twice");
            state_given = true;
            o.params.push_back({PARAM_STATE, s});
            render_only();
        }
        else if (name == "--preset") {
            if (!o.preset.empty())
                throw UsageError("--preset given twice");
            o.preset = take_value();
            if (o.preset.empty())
                throw UsageError("--preset needs a path");
            render_only();
        }
        else if (name == "--param") {
            std::string v = take_value();
            size_t at = v.find('=');
            long index;
            double x;
            if (at == std::string::npos || !parse_int(v.substr(0, at), &index) ||
                !parse_number(v.substr(at + 1), &x))
                throw UsageError("--param: expected INDEX=VALUE, got '" + v + "'");
            if (index < 0 || index > 1000000)
                throw UsageError("--param: no parameter " + v.substr(0, at));
            if (x < 0.0 || x > 1.0)
                throw UsageError("--param: host values lie in 0..1, got " + v.substr(at + 1));
            o.params.push_back({(int32_t)index, (float)x});
            render_only();
        }
        else if (name == "--block") {
            std::string v = take_value();
            long n;
            if (!parse_int(v, &n) || n < 1 || n > 65536)
                throw UsageError("--block: expected 1 to 65536, got '" + v + "'");
            o.block = (int32_t)n;
        }
        else if (name == "--automation") {
            o.automation = take_value();
            if (o.automation.empty())
                throw UsageError("--automation needs a file");
            render_only();
        }
        else if (name == "--format") {
            std::string v = take_value();
            if (v == "float")
                o.format = SampleFormat::Float;
            else if (v == "pcm16")
                o.format = SampleFormat::Pcm16;
            else if (v == "pcm24")
                o.format = SampleFormat::Pcm24;
            else
                throw UsageError("--format: expected float, pcm16 or pcm24, got '" + v + "'");
            render_only();
        }
        else if (name == "--rate") {
            std::string v = take_value();
            if (!parse_number(v, &o.rate) || o.rate < 8000.0 || o.rate > 384000.0 ||
                o.rate != std::floor(o.rate))
                throw UsageError("--rate: expected whole hertz from 8000 to 384000, got '" + v +
                                 "'");
            rate_given = true;
        }
        else if (name == "--seconds") {
            std::string v = take_value();
            if (!parse_number(v, &o.seconds) || o.seconds <= 0.0 || o.seconds > 3600.0)
                throw UsageError("--seconds: expected more than 0 and at most 3600, got '" + v +
                                 "'");
            seconds_given = true;
        }
        else if (name == "--trace") {
            no_value();
            o.trace = true;
        }
        else if (name == "--single-thread") {
            no_value();
            o.single_thread = true;
            render_only();
        }
        else if (name == "--quiet") {
            no_value();
            o.quiet = true;
        }
        else if (name == "--force") {
            no_value();
            o.force = true;
        }
        else {
            throw UsageError("unknown option " + name);
        }
    }

    if (mode_flags > 1)
        throw UsageError("--response and --make-demo exclude each other and may be given once");
    switch (o.mode) {
    case Mode::Render:
        if (positional.size() != 2)
            throw UsageError(positional.size() < 2 ? "expected IN and OUT files"
                                                   : "too many file names: expected IN and OUT");
        o.input = positional[0];
        o.output = positional[1];
        if (o.cutoffs.size() > 1)
            throw UsageError("--cutoff given twice (several cutoffs are for --response)");
        if (rate_given)
            throw UsageError(
                "--rate is for --response and --make-demo; a render uses the file's rate");
        if (seconds_given)
            throw UsageError("--seconds is for --make-demo");
        break;
    case Mode::Response:
        if (!positional.empty())
            throw UsageError("--response takes no IN or OUT files");
        if (render_only_given)
            throw UsageError(render_only_name + " is not used with --response");
        if (seconds_given)
            throw UsageError("--seconds is for --make-demo");
        if (o.cutoffs.empty())
            o.cutoffs = {100.0, 1000.0, 5000.0};
        break;
    case Mode::MakeDemo:
        if (!positional.empty())
            throw UsageError("--make-demo takes no IN or OUT files");
        if (render_only_given || !o.cutoffs.empty())
            throw UsageError("--make-demo only takes --rate and --seconds");
        break;
    default:
        break;
    }
    if (o.output.empty())
        throw UsageError("the output file name is empty");
    return o;
}
