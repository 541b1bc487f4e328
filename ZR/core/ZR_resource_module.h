// Platform seam: the DATA resources of the module hInstance, looked up after
// the installed table.
#pragma once
#include "ZR/core/ZR_cfuncs.h"

#include <cstddef>

// The bytes of the named resource and their count, or null with *failure
// set to the step that failed (ZR_ERROR_RESOURCE_CANNOT_FIND, _LOAD, _LOCK).
const void *ZR_module_resource(const char *name, std::size_t *size, ZR_status *failure);
// Whether data is the start of one of the module's resources; size receives
// its byte count (0 when it is not).
bool ZR_module_resource_length(const void *data, std::size_t *size);
