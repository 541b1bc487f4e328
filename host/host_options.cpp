// Command-line options of the live host, applied as menu commands.
#include "host/host_options.h"

#include "app/ZR_Application_Preset.h"
#include "app/vemo_params.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char USAGE[] = "usage: vemo [OPTION]...\n"
                     "\n"
                     "The live host: filters audio inputs with one or more instances of the\n"
                     "effect and plays their sum on the first two outputs.\n"
                     "\n"
                     "  --driver NAME    audio driver by name or number (default: the first)\n"
                     "  --mode N         the driver's mode N (1-based, as --list numbers them)\n"
                     "  --rate HZ        the driver's first mode at HZ (instead of --mode)\n"
                     "  --channels N     start with N channels (1 to 32)\n"
                     "  --input CH=J     connect channel CH to input J (both 1-based; repeatable)\n"
                     "  --preset FILE    load a preset file into the selected channel\n"
                     "  --list           print drivers, modes and inputs, then exit\n"
                     "  --no-gui [SECS]  run without a window for SECS seconds, or until\n"
                     "                   SIGINT or SIGTERM\n"
                     "  --help           this text\n";

// A whole decimal number within [low, high].
bool parse_int(const char *text, long low, long high, int *out)
{
    errno = 0;
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || errno || v < low || v > high)
        return false;
    *out = (int)v;
    return true;
}

} // namespace

const char *host_usage()
{
    return USAGE;
}

std::string parse_host_options(int argc, char **argv, HostOptions *o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        auto value = [&]() -> const char * { return argv[++i]; };
        if (a == "--help" || a == "-h") {
            o->help = true;
        }
        else if (a == "--list") {
            o->list = true;
        }
        else if (a == "--no-gui") {
            o->no_gui = true;
            if (has_value && argv[i + 1][0] != '-') {
                char *end = nullptr;
                const double s = std::strtod(argv[i + 1], &end);
                if (end == argv[i + 1] || *end || !(s >= 0 && s <= 31536000))
                    return "--no-gui takes seconds from 0 to 31536000";
                o->seconds = s;
                ++i;
            }
        }
        else if (a == "--driver" || a == "--mode" || a == "--rate" || a == "--channels" ||
                 a == "--input" || a == "--preset") {
            if (!has_value)
                return a + " needs a value";
            const char *v = value();
            if (a == "--driver") {
                if (!*v)
                    return "--driver needs a name";
                o->driver = v;
            }
            else if (a == "--mode") {
                if (!parse_int(v, 1, LiveHost::MAX_MODES, &o->mode))
                    return "--mode takes a mode number from 1 to 32";
            }
            else if (a == "--rate") {
                if (!parse_int(v, 1, 10000000, &o->rate))
                    return "--rate takes a sample rate in Hz";
            }
            else if (a == "--channels") {
                if (!parse_int(v, 1, LiveHost::MAX_CHANNELS, &o->channels))
                    return "--channels takes 1 to 32";
            }
            else if (a == "--input") {
                const char *eq = std::strchr(v, '=');
                int ch = 0, j = 0;
                if (!eq || !parse_int(std::string(v, eq).c_str(), 1, LiveHost::MAX_CHANNELS, &ch) ||
                    !parse_int(eq + 1, 1, LiveHost::MAX_INPUTS, &j))
                    return std::string(
                               "--input takes CH=J (channel 1 to 32, input 1 to 32), not ") +
                           v;
                o->links.emplace_back(ch, j);
            }
            else {
                if (!*v)
                    return "--preset needs a file name";
                o->preset = v;
            }
        }
        else {
            return "unknown option " + a;
        }
    }
    if (o->mode && o->rate)
        return "--mode and --rate both choose the mode: give one";
    return "";
}

std::string apply_host_options(LiveHost &host, const HostOptions &o)
{
    std::string problems;
    auto problem = [&](const std::string &p) { problems += (problems.empty() ? "" : "; ") + p; };

    if (!o.driver.empty()) {
        int found = -1;
        int number = 0;
        for (int i = 0; i < host.driver_count(); ++i)
            if (o.driver == host.driver(i)->name)
                found = i;
        if (found < 0 && parse_int(o.driver.c_str(), 1, host.driver_count(), &number))
            found = number - 1;
        if (found < 0)
            problem("no audio driver \"" + o.driver + "\" (vemo --list shows them)");
        else if (host.current_driver() != host.driver(found))
            host.command(HOST_CMD_DRIVER + found);
    }
    if (o.mode || o.rate) {
        ZR_Rts *d = host.current_driver();
        int index = -1;
        for (int i = 0; d && i < LiveHost::MAX_MODES && ZR_Rts::mode_at(d->modes, i); ++i)
            if ((o.mode && i == o.mode - 1) ||
                (o.rate && index < 0 && ZR_Rts::mode_at(d->modes, i)->rate == o.rate))
                index = i;
        if (index < 0)
            problem(o.mode ? "the driver has no mode " + std::to_string(o.mode)
                           : "the driver has no mode at " + std::to_string(o.rate) + " Hz");
        else if (host.current_mode() != ZR_Rts::mode_at(d->modes, index))
            host.command(HOST_CMD_MODE + index);
    }
    while (host.channel_count() < o.channels)
        if (!host.command(HOST_CMD_ADD))
            break;
    const int selected = host.selected_channel();
    for (const auto &link : o.links) {
        if (link.first > host.channel_count() || link.second > host.input_count()) {
            problem("no channel " + std::to_string(link.first) + " or input " +
                    std::to_string(link.second) + " for --input");
            continue;
        }
        host.command(HOST_CMD_CHANNEL + link.first - 1);
        host.command(HOST_CMD_INPUT + link.second - 1);
    }
    if (host.selected_channel() != selected && selected >= 0)
        host.command(HOST_CMD_CHANNEL + selected);

    if (!o.preset.empty()) {
        PresetValues v{};
        int read = 0;
        AEffect *e = host.channel_effect(host.selected_channel());
        if (const char *message = read_preset_file(o.preset.c_str(), &v, &read))
            problem(o.preset + ": " + message);
        else if (e && e->setParameter) {
            // Through the host interface, as any host would set them.
            const float frequency = param_to_host(HOST_PARAMS[PARAM_FREQUENCY], v.frequency);
            e->setParameter(e, PARAM_STATE, v.state != 0 ? 1.0f : 0.0f);
            e->setParameter(e, PARAM_FREQUENCY, std::clamp(frequency, 0.0f, 1.0f));
        }
    }
    return problems;
}

void list_host_drivers(const std::vector<HostDriverClass> &classes, std::FILE *out)
{
    for (const HostDriverClass &c : classes)
        if (c.class_init)
            c.class_init(nullptr);
    int number = 0;
    for (ZR_Chain_Item *i = ZR_Rts_instances.first();
         i != ZR_Rts_instances.end() && number < LiveHost::MAX_DRIVERS; i = i->next) {
        ZR_Rts *d = static_cast<ZR_Rts *>(i->owner);
        std::fprintf(out, "driver %d: %s\n", ++number, d->name);
        if (d->init() != ZR_OK) {
            std::fprintf(out, "   (cannot be opened)\n");
            continue;
        }
        for (int m = 0; m < LiveHost::MAX_MODES && ZR_Rts::mode_at(d->modes, m); ++m)
            std::fprintf(out, "   mode %d:%s\n", m + 1, ZR_Rts::mode_at(d->modes, m)->text);
        for (int j = 0; j < LiveHost::MAX_INPUTS && ZR_Rts::chan_at(d->inputs, j); ++j)
            std::fprintf(out, "   input %d: %s\n", j + 1, ZR_Rts::chan_at(d->inputs, j)->name);
        d->done();
    }
    if (!number)
        std::fprintf(out, "No audio drivers found\n");
    for (const HostDriverClass &c : classes)
        if (c.class_cleanup)
            c.class_cleanup();
}
