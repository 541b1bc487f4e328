// The DLL's entry: the module handle that resource lookups and window classes
// use is the DLL's own, not the host executable's.
#include "ZR/core/ZR_cfuncs.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        hInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
