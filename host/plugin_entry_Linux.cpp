// The plug-in entry of the running executable, found by name as a host finds
// it in a shared object: the executable exports it.
#include "host/live_host.h"

#include <dlfcn.h>

VstPluginEntryProc host_find_plugin_entry()
{
    return reinterpret_cast<VstPluginEntryProc>(dlsym(RTLD_DEFAULT, "VSTPluginMain"));
}
