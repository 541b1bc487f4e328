// Finds vemo.so when --plugin is not given.
#pragma once
#include <string>
#include <vector>

// Candidates in order: the plug-in built beside this renderer, then vemo.so in
// each folder of VST_PATH and LXVST_PATH, <prefix>/lib/vst, ~/.vst, /usr/lib/vst.
std::vector<std::string> plugin_candidates();

// The first candidate that exists, or "" (tried lists what was looked at).
std::string locate_plugin(std::string *tried);

// The path to load for --plugin NAME: a file of that name in the current
// folder when one exists (the dynamic loader would search its own folders
// for a name without a slash instead), else NAME as given.
std::string plugin_argument_path(const std::string &name);
