// vemo.exe: the live host on Windows, with its window or, with --no-gui,
// without one until its time is up or Ctrl+C.
#include "host/host_drivers.h"
#include "host/host_options.h"
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
    host.start();
    const std::string problems = apply_host_options(host, options);
    if (!problems.empty()) {
        std::fprintf(stderr, "vemo: %s\n", problems.c_str());
        host.shutdown();
        return 1;
    }
    std::fprintf(stderr, "vemo: %s\n", host.status_text().c_str());
    for (int k = 0; k < host.channel_count(); ++k)
        std::fprintf(stderr, "vemo: channel %s\n", host.channel_text(k));
    std::fflush(stderr);
    WaitForSingleObject(stop_event,
                        options.seconds < 0 ? INFINITE : (DWORD)(options.seconds * 1000.0));
    std::fprintf(stderr, "vemo: %s, blocks skipped %ld\n", host.status_text().c_str(),
                 host.skipped_blocks());
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
    host.start();
    const std::string problems = apply_host_options(host, options);
    if (!problems.empty())
        std::fprintf(stderr, "vemo: %s\n", problems.c_str());
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
    HostOptions options;
    const std::string error = parse_host_options(argc, argv, &options);
    if (!error.empty()) {
        std::fprintf(stderr, "vemo: %s\n%s", error.c_str(), host_usage());
        return 2;
    }
    if (options.help) {
        std::fputs(host_usage(), stdout);
        return 0;
    }
    if (options.list) {
        list_host_drivers(host_driver_classes(), stdout);
        return 0;
    }
    VstPluginEntryProc entry = host_find_plugin_entry();
    if (!entry) {
        std::fprintf(stderr, "vemo: the plug-in entry is missing from the executable\n");
        return 1;
    }
    return options.no_gui ? run_without_window(entry, options) : run_with_window(entry, options);
}
