// vemo: the live host on Linux, with its GTK window or, with --no-gui,
// without any window until its time is up or a signal arrives.
#include "host/gtk/host_window_Gtk.h"
#include "host/gtk/msgbox_Gtk.h"
#include "host/host_drivers.h"
#include "host/host_main.h"

#include "ZR/core/ZR_cfuncs.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>

// For builds with LeakSanitizer: what the toolkit and fontconfig keep until
// the process ends (fontconfig stays initialised while GTK shares it).
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\nleak:libgtk-3.so\nleak:libgdk-3.so\n";
}

namespace {

// The signals end the run; they are blocked before any driver thread starts,
// so every thread inherits the mask and only sigtimedwait takes them.
int run_without_window(VstPluginEntryProc entry, const HostOptions &options)
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    LiveHost host(entry, host_driver_classes(), nullptr);
    if (!start_host_with_options(host, options)) {
        host.shutdown();
        return 1;
    }
    print_host_start(host);

    if (options.seconds < 0) {
        int signal_number = 0;
        while (sigwait(&stop, &signal_number) != 0) {
        }
    }
    else {
        timespec left;
        left.tv_sec = (time_t)options.seconds;
        left.tv_nsec = (long)((options.seconds - std::floor(options.seconds)) * 1e9);
        timespec start;
        clock_gettime(CLOCK_MONOTONIC, &start);
        while (sigtimedwait(&stop, nullptr, &left) < 0 && errno == EINTR) {
            // Interrupted by another signal: wait for what is left.
            timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            const double gone =
                (double)(now.tv_sec - start.tv_sec) + (double)(now.tv_nsec - start.tv_nsec) * 1e-9;
            const double rest = options.seconds - gone;
            if (rest <= 0)
                break;
            left.tv_sec = (time_t)rest;
            left.tv_nsec = (long)((rest - std::floor(rest)) * 1e9);
        }
    }
    print_host_end(host);
    host.shutdown();
    return 0;
}

gboolean on_signal(gpointer window)
{
    static_cast<HostWindow *>(window)->close();
    return G_SOURCE_REMOVE;
}

int run_with_window(VstPluginEntryProc entry, const HostOptions &options)
{
    // The editor is a child of a native X11 window.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "vemo: cannot open the X11 display (--no-gui runs without one)\n");
        return 1;
    }
    host_message_boxes_use_gtk(true);
    int status = 0;
    {
        HostWindow window;
        // Before any driver starts: a signal during start-up closes the
        // window as soon as the main loop runs.
        g_unix_signal_add(SIGINT, &on_signal, &window);
        g_unix_signal_add(SIGTERM, &on_signal, &window);
        LiveHost host(entry, host_driver_classes(), &window);
        start_host_with_options(host, options);
        window.show(host);
        ZR_initall();
        gtk_main();
        window.close();
    }
    host_message_boxes_use_gtk(false);
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    return host_main(argc, argv, &run_without_window, &run_with_window);
}
