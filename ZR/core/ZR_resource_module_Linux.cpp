// Linux and headless binaries carry their resources as the installed table
// only: the module has none of its own.
#include "ZR/core/ZR_resource_module.h"

const void *ZR_module_resource(const char *, std::size_t *size, ZR_status *failure)
{
    *size = 0;
    *failure = ZR_ERROR_RESOURCE_CANNOT_FIND;
    return nullptr;
}

bool ZR_module_resource_length(const void *, std::size_t *size)
{
    *size = 0;
    return false;
}
