// The application template that the plug-in adapter drives.
#pragma once
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_value.h"

class ZR_Apptpl {
public:
    virtual ~ZR_Apptpl() = default;
    // Creates the processing graph.
    virtual ZR_status build() = 0;
    // Deletes everything build created.
    virtual ZR_status destroy() = 0;
    virtual bool usesChunks() { return false; }
    // value points at the state block, len is its byte size.
    virtual ZR_value getChunk() { return ZR_EMPTY; }
    virtual void setChunk(ZR_value) {}
};
