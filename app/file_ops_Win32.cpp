// Windows: _O_EXCL creation; MoveFileExA, since rename refuses an existing
// target.
#include "app/file_ops.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

unsigned long file_ops_process_id()
{
    return GetCurrentProcessId();
}

FILE *file_ops_create_new(const char *name)
{
    const int fd = _open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    FILE *f = _fdopen(fd, "wb");
    if (!f) {
        _close(fd);
        DeleteFileA(name);
    }
    return f;
}

bool file_ops_replace(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
