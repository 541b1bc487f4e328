// Message boxes of vemo.exe: MessageBoxA while the window runs, standard
// error otherwise; every box is also written to standard error.
#include "host/win32/msgbox_Win32.h"

#include "ZR/core/ZR_msgbox.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<bool> boxes{false};

} // namespace

void host_message_boxes_use_windows(bool on)
{
    boxes.store(on, std::memory_order_relaxed);
}

int ZR_message_box(const char *caption, const char *text)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    if (boxes.load(std::memory_order_relaxed))
        MessageBoxA(nullptr, text ? text : "", caption ? caption : "", MB_OK | MB_ICONERROR);
    return 1;
}
