// Finds vemo.so when --plugin is not given.
#pragma once
#include <string>
#include <vector>

// Candidates in order: the plug-in built beside this renderer, then vemo.so in
// each folder of VST_PATH and LXVST_PATH, <prefix>/lib/vst, ~/.vst, /usr/lib/vst.
std::vector<std::string> plugin_candidates();

// The first candidate that exists, or "" (tried lists what was looked at).
std::string locate_plugin(std::string *tried);
