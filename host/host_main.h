// The live host's command line for every front end: options, help, the
// driver listing and the entry lookup, then the front end's own run.
#pragma once
#include "host/host_options.h"

// A front end's run, with or without its window; returns the exit status.
using HostRun = int (*)(VstPluginEntryProc entry, const HostOptions &options);

int host_main(int argc, char **argv, HostRun run_without_window, HostRun run_with_window);

// Starts the host and applies the start-up selections, printing what could
// not be applied. Returns whether everything applied.
bool start_host_with_options(LiveHost &host, const HostOptions &options);

// What a run without a window prints at its start and its end.
void print_host_start(LiveHost &host);
void print_host_end(LiveHost &host);
