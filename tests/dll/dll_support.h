// The Windows test host's pieces: vemo.dll loaded with LoadLibraryA, a host
// callback that records what the plug-in tells it, the Linux reference files.
#pragma once
#include "vst/aeffect.h"

#include "support/host_window_Win32.h"

#include <string>
#include <vector>

// The bytes of a reference file (reference folder of the build), or empty.
std::vector<char> reference_file(const char *name);

// One call the plug-in made to the host.
struct HostCall {
    int32_t opcode;
    int32_t index;
    float value;
    DWORD thread;
};

// A loaded vemo.dll and effects made by its entry with the recording host.
// A message box the plug-in shows on this thread is closed at once and
// fails the test (it would block the run).
class Dll {
public:
    Dll();
    ~Dll();
    HHOOK box_hook = nullptr;
    HMODULE module = nullptr;
    VstPluginEntryProc entry = nullptr;
    AEffect *make();
    // Calls seen since the last clear (begin edit, automate, end edit only).
    static std::vector<HostCall> calls;
};

intptr_t call(AEffect *e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
              void *ptr = nullptr, float opt = 0.0f);
