// The plug-in entry of the running executable, found by name in its own
// export table as a host finds it in a DLL.
#include "host/live_host.h"

#include <windows.h>

VstPluginEntryProc host_find_plugin_entry()
{
    return reinterpret_cast<VstPluginEntryProc>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(nullptr), "_VSTPluginMain")));
}
