// The binary's picture resources, generated at build time by vemo_artwork.
#pragma once
#include "ZR/core/ZR_cfuncs.h"

// The table (installed by the generated source before main; call
// ZR_set_resource_table with it again after replacing the table).
const ZR_resource_entry *vemo_resources();
