// Platform seam of the preset writer: exclusive creation and replacement.
#pragma once
#include <cstdio>

// The calling process's id (temporary names of processes never clash).
unsigned long file_ops_process_id();
// Opens name for binary writing only if no file of that name exists; null
// otherwise or on failure. The handle is not inherited by child processes.
FILE *file_ops_create_new(const char *name);
// Puts from in place of to (which may exist) in one step; false on failure,
// leaving to as it was.
bool file_ops_replace(const char *from, const char *to);
