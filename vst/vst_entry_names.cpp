// The older names of the entry function, for the shared object only: an
// executable's `main` is its own. `main` cannot be a C++ name with this
// signature, so it is given to the symbol with an assembler label.
#include "vst/vst_entry.h"

extern "C" {
VEMO_VST_EXPORT AEffect *vemo_entry_main(audioMasterCallback host) __asm__("main");
VEMO_VST_EXPORT AEffect *MAIN(audioMasterCallback host);
VEMO_VST_EXPORT AEffect *vemo_entry_underscore(audioMasterCallback host) __asm__("_VSTPluginMain");

AEffect *vemo_entry_main(audioMasterCallback host)
{
    return VSTPluginMain(host);
}
AEffect *MAIN(audioMasterCallback host)
{
    return VSTPluginMain(host);
}
AEffect *vemo_entry_underscore(audioMasterCallback host)
{
    return VSTPluginMain(host);
}
}
