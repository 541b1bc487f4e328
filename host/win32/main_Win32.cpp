// vemo.exe: the live host on Windows, with its window or, with --no-gui,
// without one until its time is up or Ctrl+C.
#include "host/host_drivers.h"
#include "host/host_main.h"
#include "host/win32/host_window_Win32.h"
#include "host/win32/msgbox_Win32.h"
#include "vst/vst_entry.h"

#include "ZR/core/ZR_cfuncs.h"

#include <cstdio>

// The name the host looks the plug-in up by in its own export table.
extern "C" VEMO_VST_EXPORT AEffect *
vemo_host_entry(audioMasterCallback host) __asm__("_VSTPluginMain");
AEffect *vemo_host_entry(audioMasterCallback host)
{
    return VSTPluginMain(host);
}

namespace {

HANDLE stop_event = nullptr;

BOOL WINAPI on_console_event(DWORD)
{
    SetEvent(stop_event);
    return TRUE;
}

int run_without_window(VstPluginEntryProc entry, const HostOptions &options)
{
    stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A window program has no console of its own: Ctrl+C reaches it through
    // the console it was started from.
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(&on_console_event, TRUE);
    LiveHost host(entry, host_driver_classes(), nullptr);
    if (!start_host_with_options(host, options)) {
        host.shutdown();
        return 1;
    }
    print_host_start(host);
    WaitForSingleObject(stop_event,
                        options.seconds < 0 ? INFINITE : (DWORD)(options.seconds * 1000.0));
    print_host_end(host);
    host.shutdown();
    return 0;
}

int run_with_window(VstPluginEntryProc entry, const HostOptions &options)
{
    HostWindowWin32 window(GetModuleHandleA(nullptr));
    if (!window.valid()) {
        std::fprintf(stderr, "vemo: cannot create the main window\n");
        return 1;
    }
    host_message_boxes_use_windows(true);
    LiveHost host(entry, host_driver_classes(), &window);
    start_host_with_options(host, options);
    window.show(host);
    ZR_initall();
    HostWindowWin32::run_loop();
    // Before the host goes: the window's close path uses it.
    window.close();
    host_message_boxes_use_windows(false);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return host_main(argc, argv, &run_without_window, &run_with_window);
}
