// DATA resources of the module hInstance (the executable when null), found
// by name in any case through FindResourceA.
#include "ZR/core/ZR_resource_module.h"

#include <windows.h>

namespace {

HMODULE module()
{
    return static_cast<HMODULE>(hInstance);
}

struct LengthQuery {
    const void *data;
    std::size_t size;
    bool found;
};

BOOL CALLBACK match_resource(HMODULE m, LPCSTR type, LPSTR name, LONG_PTR param)
{
    auto *q = reinterpret_cast<LengthQuery *>(param);
    HRSRC info = FindResourceA(m, name, type);
    HGLOBAL loaded = info ? LoadResource(m, info) : nullptr;
    if (loaded && LockResource(loaded) == q->data) {
        q->size = SizeofResource(m, info);
        q->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

const void *ZR_module_resource(const char *name, std::size_t *size, ZR_status *failure)
{
    *size = 0;
    *failure = ZR_ERROR_RESOURCE_CANNOT_FIND;
    HRSRC info = FindResourceA(module(), name, "DATA");
    if (!info)
        return nullptr;
    HGLOBAL loaded = LoadResource(module(), info);
    if (!loaded) {
        *failure = ZR_ERROR_RESOURCE_CANNOT_LOAD;
        return nullptr;
    }
    const void *data = LockResource(loaded);
    if (!data) {
        *failure = ZR_ERROR_RESOURCE_CANNOT_LOCK;
        return nullptr;
    }
    *size = SizeofResource(module(), info);
    *failure = ZR_OK;
    return data;
}

bool ZR_module_resource_length(const void *data, std::size_t *size)
{
    LengthQuery q{data, 0, false};
    *size = 0;
    if (!data)
        return false;
    EnumResourceNamesA(module(), "DATA", match_resource, reinterpret_cast<LONG_PTR>(&q));
    *size = q.size;
    return q.found;
}
