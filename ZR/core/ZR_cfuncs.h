// Status values, the fatal-error message box and embedded resource lookup.
#pragma once
#include <cstddef>

typedef const char *ZR_status;

extern const char *const ZR_OK;
extern const char *const ZR_ERROR_UNKNOWN;
extern const char *const ZR_ERROR_FILE_CANNOT_OPEN;
extern const char *const ZR_ERROR_FILE_CANNOT_READ;
extern const char *const ZR_ERROR_FILE_CANNOT_CLOSE;
extern const char *const ZR_ERROR_MEMORY_CANNOT_ALLOCATE;
extern const char *const ZR_ERROR_MEMORY_CANNOT_REALLOC;
extern const char *const ZR_ERROR_MEMORY_CANNOT_FREE;
extern const char *const ZR_ERROR_PARAM_REQUIRED;
extern const char *const ZR_ERROR_RESOURCE_CANNOT_LOAD;
extern const char *const ZR_ERROR_RESOURCE_CANNOT_FIND;
extern const char *const ZR_ERROR_RESOURCE_CANNOT_LOCK;
extern const char *const ZR_ERROR_AUDIO;
extern const char *const ZR_ERROR_AUDIO_CANNOT_OPEN;
extern const char *const ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
extern const char *const ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE;
extern const char *const ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET;
extern const char *const ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE;
extern const char *const ZR_ERROR_COMMAND_NOT_FOUND;
extern const char *const ZR_ERROR_COMMAND_NOT_PARAM;
extern const char *const ZR_ERROR_COMMAND_NOT_SPACE;

// Module handle used for resource lookups (null on platforms without one).
extern void *hInstance;

// Formats the error into one shared 4096-byte buffer and shows it in a modal
// message box captioned "ERROR". Not reentrant. Returns the box's answer.
int ZR_error_func(const char *file, int line, const char *proc, const char *date, const char *time,
                  const char *message);
// The text of the last ZR_error_func call.
const char *ZR_error_text();

void ZR_initall();

// One embedded resource of type "DATA".
struct ZR_resource_entry {
    const char *name;
    const unsigned char *data;
    std::size_t size;
};

// Installs the resource table of the binary (a generated source calls it);
// the table ends with an entry whose name is null.
void ZR_set_resource_table(const ZR_resource_entry *table);

// Bytes of the named resource (case-insensitive name), or null after an
// error box. The bytes live as long as the module.
const void *ZR_resource(const char *name);
// Same lookup without the error box; size receives the byte count.
const void *ZR_resource_find(const char *name, std::size_t *size);
// Whether data is the start of a resource of the table; size receives its
// byte count (0 when it is not). Lets readers check headers against lengths.
bool ZR_resource_length(const void *data, std::size_t *size);
