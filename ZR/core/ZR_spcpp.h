// The command interpreter: printf-like commands that create, set, query and
// delete framework objects.
#pragma once
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_value.h"

#include <cstdarg>

struct ZR_class;

enum {
    SPCPP_RESULT_TEXT = 1, // build a result text
    SPCPP_OUT_PARAMS = 2,  // write created objects and query results through pointers
};

// Longest command text accepted; longer ones are refused with
// ZR_ERROR_COMMAND_NOT_SPACE.
constexpr int SPCPP_MAX_COMMAND = 1023;

// Runs one command with out-parameters. Returns ZR_OK,
// ZR_ERROR_COMMAND_NOT_FOUND or ZR_ERROR_COMMAND_NOT_PARAM.
ZR_status spcpp(const char *command, ...);

// The core. capacity: on entry the result buffer's size, on success the
// length of the text written (no terminating zero when it fills the buffer).
// args may be null (placeholders then give no value and nothing is written
// through pointers). Text values from the command text point into a private
// copy that lives only during the call: handlers that keep one must copy it.
ZR_status spcpp_exec(int flags, const char *command, char *result, int *capacity, va_list *args);

// Test hook: a second class table, searched after _ZR (null for none).
void spcpp_set_extra_classes(const ZR_class *classes);

// Reads one token of text at *pos; stores in *pos the index of the separator
// (space or terminating zero) that ended it.
ZR_value spcpp_token(const char *text, int *pos);

// True when a and b are equal up to their first space or end of text and
// both end there.
bool spcpp_same_word(const char *a, const char *b);

// The lexer's tables, exposed for tests.
int spcpp_char_class(unsigned char c);
int spcpp_next_state(int state, int char_class);
