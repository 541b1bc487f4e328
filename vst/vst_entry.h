// Declaration of the plug-in entry function.
#pragma once

#include "vst/aeffect.h"

#if defined(_WIN32)
#define VEMO_VST_EXPORT __declspec(dllexport)
#else
#define VEMO_VST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VEMO_VST_EXPORT AEffect *VSTPluginMain(audioMasterCallback host);
