// The live host's command line, shared by the front ends.
#include "host/host_main.h"
#include "host/host_drivers.h"

#include <cstdio>

int host_main(int argc, char **argv, HostRun run_without_window, HostRun run_with_window)
{
    HostOptions options;
    const std::string error = parse_host_options(argc, argv, &options);
    if (!error.empty()) {
        std::fprintf(stderr, "vemo: %s\n%s", error.c_str(), host_usage());
        return 2;
    }
    if (options.help) {
        std::fputs(host_usage(), stdout);
        return 0;
    }
    if (options.list) {
        list_host_drivers(host_driver_classes(), stdout);
        return 0;
    }
    VstPluginEntryProc entry = host_find_plugin_entry();
    if (!entry) {
        std::fprintf(stderr, "vemo: the plug-in entry is missing from the executable\n");
        return 1;
    }
    return options.no_gui ? run_without_window(entry, options) : run_with_window(entry, options);
}

bool start_host_with_options(LiveHost &host, const HostOptions &options)
{
    host.start();
    const std::string problems = apply_host_options(host, options);
    if (problems.empty())
        return true;
    std::fprintf(stderr, "vemo: %s\n", problems.c_str());
    return false;
}

void print_host_start(LiveHost &host)
{
    std::fprintf(stderr, "vemo: %s\n", host.status_text().c_str());
    for (int k = 0; k < host.channel_count(); ++k)
        std::fprintf(stderr, "vemo: channel %s\n", host.channel_text(k));
    std::fflush(stderr);
}

void print_host_end(LiveHost &host)
{
    std::fprintf(stderr, "vemo: %s, blocks skipped %ld\n", host.status_text().c_str(),
                 host.skipped_blocks());
}
