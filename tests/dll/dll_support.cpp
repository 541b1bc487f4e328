// The Windows test host's pieces.
#include "dll_support.h"

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
}

Dll::~Dll()
{
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
