// The live host's command line: what the menus select, chosen at start-up,
// plus a preset, a driver listing and the run without a window.
#pragma once
#include "host/live_host.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct HostOptions {
    std::string driver;                     // --driver NAME (or its number)
    int mode = 0;                           // --mode N, 1-based; 0: the driver's first
    int rate = 0;                           // --rate HZ: the first mode at that rate
    int channels = 1;                       // --channels N
    std::vector<std::pair<int, int>> links; // --input CH=J, both 1-based
    std::string preset;                     // --preset FILE, into the selected channel
    bool list = false;                      // --list
    bool help = false;                      // --help
    bool no_gui = false;                    // --no-gui [SECONDS]
    double seconds = -1;                    // negative: until a signal
};

const char *host_usage();

// Fills options from argv. Returns an empty text, or what is wrong.
std::string parse_host_options(int argc, char **argv, HostOptions *options);

// Applies the start-up selections to a started host through its menu
// commands. Returns an empty text, or what could not be applied (the host
// then runs with what did apply).
std::string apply_host_options(LiveHost &host, const HostOptions &options);

// Prints every driver of the registered classes with its modes and inputs,
// numbered as --driver, --mode and --input take them.
void list_host_drivers(const std::vector<HostDriverClass> &classes, std::FILE *out);
