// Linux message box: zenity, then kdialog, then standard error.
#include "ZR/core/ZR_msgbox.h"

#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// Runs argv and returns its exit status, or -1 if it could not run.
int run_and_wait(char *const argv[])
{
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

int ZR_message_box(const char *caption, const char *text)
{
    const char *c = caption ? caption : "";
    const char *t = text ? text : "";
    std::fflush(stdout);

    char *zenity[] = {(char *)"zenity",
                      (char *)"--error",
                      (char *)"--no-markup",
                      (char *)"--title",
                      (char *)c,
                      (char *)"--text",
                      (char *)t,
                      nullptr};
    int rc = run_and_wait(zenity);
    if (rc == 0 || rc == 1) // 1: the window was closed instead of OK
        return 1;

    char *kdialog[] = {(char *)"kdialog", (char *)"--title", (char *)c,
                       (char *)"--error", (char *)t,         nullptr};
    rc = run_and_wait(kdialog);
    if (rc == 0 || rc == 1)
        return 1;

    std::fprintf(stderr, "%s\n%s\n", c, t);
    return 1;
}
