// Names of dispatcher opcodes as each dispatcher prints them in its trace line,
// and the switch that turns the trace on.
#pragma once

#include <cstdint>

// Name in the base dispatcher's table, "UNKNOWN" for any other opcode.
const char *baseOpcodeName(int32_t opcode);

// Name in the extended dispatcher's table (25 and up), "UNKNOWN" for any other opcode.
const char *extendedOpcodeName(int32_t opcode);

// Text that closes every trace line.
extern const char *const kDispatchTraceTail;

// Whether the environment asks for the trace: VEMO_TRACE=1. Read when an
// effect is created, never per call.
bool dispatch_trace_wanted();
