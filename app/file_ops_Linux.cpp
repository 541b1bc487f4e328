// POSIX: O_EXCL creation, rename over the target.
#include "app/file_ops.h"

#include <fcntl.h>
#include <unistd.h>

unsigned long file_ops_process_id()
{
    return (unsigned long)getpid();
}

FILE *file_ops_create_new(const char *name)
{
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    FILE *f = fdopen(fd, "wb");
    if (!f) {
        ::close(fd);
        ::unlink(name);
    }
    return f;
}

bool file_ops_replace(const char *from, const char *to)
{
    return std::rename(from, to) == 0;
}
