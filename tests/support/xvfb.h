// A private Xvfb for one test binary: a display number derived from the
// process id (the next is tried when another server holds it), stopped by
// its pid, and dying with the test process even when that one aborts.
// Include after gtest: Xlib defines None and Status as macros.
#pragma once
#include <X11/Xlib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

class Xvfb : public ::testing::Environment {
public:
    // Binaries that may run at once pass different offsets.
    explicit Xvfb(int offset) : offset(offset) {}

    void SetUp() override
    {
        for (int attempt = 0; attempt < 8 && !display; ++attempt) {
            name = ":" + std::to_string(100 + (getpid() + offset + attempt * 97) % 800);
            pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGTERM);
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "640x480x24", "-nolisten",
                       "tcp", (char *)nullptr);
                _exit(127);
            }
            for (int i = 0; i < 200 && !display; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
                if (waitpid(pid, nullptr, WNOHANG) == pid) {
                    pid = -1;
                    break;
                }
                display = XOpenDisplay(name.c_str());
            }
        }
        if (display)
            setenv("DISPLAY", name.c_str(), 1);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    // Runs xdotool with args on this display.
    void xdotool(const std::string &args) const
    {
        const std::string command = "DISPLAY=" + name + " xdotool " + args + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    const int offset;
    std::string name;
    pid_t pid = -1;
    Display *display = nullptr;
};
