// Without a window system the plug-in announces no editor.
#include "vst/ZR_Main_Vst.h"

AEffEditor *ZR_make_vst_editor(ZR_Main_Vst *)
{
    return nullptr;
}
