// Status values, ZR_error_func and the lookup of embedded resources.
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_msgbox.h"
#include "ZR/core/ZR_resource_module.h"

#include <cctype>
#include <cstdio>

const char *const ZR_OK = "Operation OK";
const char *const ZR_ERROR_UNKNOWN = "Unknown error";
const char *const ZR_ERROR_FILE_CANNOT_OPEN = "Cannot open file";
const char *const ZR_ERROR_FILE_CANNOT_READ = "Cannot read file";
const char *const ZR_ERROR_FILE_CANNOT_CLOSE = "Cannot close file";
const char *const ZR_ERROR_MEMORY_CANNOT_ALLOCATE = "Cannot allocate memory";
const char *const ZR_ERROR_MEMORY_CANNOT_REALLOC = "Cannot re-allocate memory";
const char *const ZR_ERROR_MEMORY_CANNOT_FREE = "Cannot free memory";
const char *const ZR_ERROR_PARAM_REQUIRED = "Argument required";
const char *const ZR_ERROR_RESOURCE_CANNOT_LOAD = "Cannot load resource";
const char *const ZR_ERROR_RESOURCE_CANNOT_FIND = "Cannot find resource";
const char *const ZR_ERROR_RESOURCE_CANNOT_LOCK = "Cannot lock resource";
const char *const ZR_ERROR_AUDIO = "Audio operating error";
const char *const ZR_ERROR_AUDIO_CANNOT_OPEN = "Cannot open audio device";
const char *const ZR_ERROR_AUDIO_CANNOT_INPUT_STOP = "Cannot stop input audio device";
const char *const ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE = "Cannot close input audio device";
const char *const ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET = "Cannot reset output audio device";
const char *const ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE = "Cannot close output audio device";
const char *const ZR_ERROR_COMMAND_NOT_FOUND = "Command not found";
const char *const ZR_ERROR_COMMAND_NOT_PARAM = "Param not found";
const char *const ZR_ERROR_COMMAND_NOT_SPACE = "Not enough space for command result";

void *hInstance = nullptr;

namespace {

char error_buffer[4096];

const ZR_resource_entry empty_table[] = {{nullptr, nullptr, 0}};
const ZR_resource_entry *resource_table = empty_table;

const char *or_empty(const char *s)
{
    return s ? s : "";
}

bool same_name_ignoring_case(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b))
            return false;
    return *a == *b;
}

} // namespace

int ZR_error_func(const char *file, int line, const char *proc, const char *date, const char *time,
                  const char *message)
{
    std::snprintf(error_buffer, sizeof error_buffer,
                  "Error: %s\nFile: %s\nLine: %d\nProc: %s\nDate: %s\nTime: %s", or_empty(message),
                  or_empty(file), line, or_empty(proc), or_empty(date), or_empty(time));
    return ZR_message_box("ERROR", error_buffer);
}

const char *ZR_error_text()
{
    return error_buffer;
}

void ZR_initall() {}

void ZR_set_resource_table(const ZR_resource_entry *table)
{
    resource_table = table ? table : empty_table;
}

namespace {

const ZR_resource_entry *table_entry(const char *name)
{
    for (const ZR_resource_entry *e = resource_table; e->name; ++e)
        if (same_name_ignoring_case(e->name, name))
            return e;
    return nullptr;
}

} // namespace

const void *ZR_resource_find(const char *name, std::size_t *size)
{
    std::size_t bytes = 0;
    const void *data = nullptr;
    if (name) {
        if (const ZR_resource_entry *e = table_entry(name)) {
            data = e->data;
            bytes = e->size;
        }
        else {
            ZR_status failure = ZR_OK;
            data = ZR_module_resource(name, &bytes, &failure);
        }
    }
    if (size)
        *size = data ? bytes : 0;
    return data;
}

bool ZR_resource_length(const void *data, std::size_t *size)
{
    if (size)
        *size = 0;
    if (!data)
        return false;
    for (const ZR_resource_entry *e = resource_table; e->name; ++e) {
        if (e->data == data) {
            if (size)
                *size = e->size;
            return true;
        }
    }
    std::size_t bytes = 0;
    const bool found = ZR_module_resource_length(data, &bytes);
    if (size)
        *size = bytes;
    return found;
}

const void *ZR_resource(const char *name)
{
    if (const ZR_resource_entry *e = name ? table_entry(name) : nullptr)
        return e->data;
    std::size_t bytes = 0;
    ZR_status failure = ZR_ERROR_RESOURCE_CANNOT_FIND;
    const void *data = name ? ZR_module_resource(name, &bytes, &failure) : nullptr;
    if (data)
        return data;
    // The line tells which step failed: finding, loading or locking.
    if (failure == ZR_ERROR_RESOURCE_CANNOT_LOAD)
        ZR_error_func("ZR_cfuncs", 130, "ZR_resource", __DATE__, __TIME__, failure);
    else if (failure == ZR_ERROR_RESOURCE_CANNOT_LOCK)
        ZR_error_func("ZR_cfuncs", 138, "ZR_resource", __DATE__, __TIME__, failure);
    else
        ZR_error_func("ZR_cfuncs", 121, "ZR_resource", __DATE__, __TIME__, or_empty(name));
    return nullptr;
}
