// The plug-in entry function that hosts look up by name.
#include "vst/vst_entry.h"

#include "vst/ZR_Main_Vst.h"

extern "C" VEMO_VST_EXPORT AEffect *VSTPluginMain(audioMasterCallback host)
{
    return ZR_create_plugin(host);
}
