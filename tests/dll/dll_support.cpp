// The Windows test host's pieces.
#include "dll_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

std::vector<HostCall> Dll::calls;

namespace {

intptr_t VEMO_VSTCALL record(AEffect *, int32_t opcode, int32_t index, intptr_t, void *, float opt)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        Dll::calls.push_back({opcode, index, opt, GetCurrentThreadId()});
    return 0;
}

LRESULT CALLBACK close_boxes(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wp);
        char type[16] = {}, caption[64] = {};
        GetClassNameA(window, type, sizeof type);
        if (!std::strcmp(type, "#32770")) {
            GetWindowTextA(window, caption, sizeof caption);
            ADD_FAILURE() << "message box \"" << caption << "\" shown";
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

} // namespace

std::vector<char> reference_file(const char *name)
{
    std::ifstream in(windows_path((std::string(VEMO_REFERENCE_DIR) + "/" + name).c_str()),
                     std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Dll::Dll()
{
    module = LoadLibraryA(windows_path(VEMO_DLL_PATH).c_str());
    if (module)
        entry = reinterpret_cast<VstPluginEntryProc>(
            reinterpret_cast<void *>(GetProcAddress(module, "VSTPluginMain")));
    calls.clear();
    box_hook = SetWindowsHookExA(WH_CBT, close_boxes, nullptr, GetCurrentThreadId());
}

Dll::~Dll()
{
    if (box_hook)
        UnhookWindowsHookEx(box_hook);
    if (module)
        FreeLibrary(module);
}

AEffect *Dll::make()
{
    return entry ? entry(record) : nullptr;
}

intptr_t call(AEffect *e, int32_t opcode, int32_t index, intptr_t value, void *ptr, float opt)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
