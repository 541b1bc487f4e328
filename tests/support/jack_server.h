// A `jackd -d dummy` server with a unique name for one test, stopped by its
// PID (or by the test process's end), and the client opening that never
// starts a server.
#pragma once
#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

inline jack_client_t *open_jack_test_client(const char *server, const char *name)
{
    jack_status_t status;
    return jack_client_open(name, (jack_options_t)(JackNoStartServer | JackServerName), &status,
                            server);
}

class JackServer {
public:
    std::string name;
    pid_t pid = -1;
    std::string failure;

    // Rate 48000, 4 capture and 4 playback ports, frames per cycle.
    bool start(const std::string &server, int frames = 256)
    {
        using namespace std::chrono_literals;
        name = server;
        std::fflush(stdout);
        std::fflush(stderr);
        const std::string period = std::to_string(frames);
        pid = fork();
        if (pid == 0) {
            // A test that crashes takes its server with it.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
                _exit(126);
            execlp("jackd", "jackd", "-n", server.c_str(), "-r", "-d", "dummy", "-r", "48000", "-p",
                   period.c_str(), "-C", "4", "-P", "4", (char *)nullptr);
            _exit(127);
        }
        if (pid < 0) {
            failure = "fork failed";
            return false;
        }
        auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                failure = WIFEXITED(status) && WEXITSTATUS(status) == 127
                              ? "jackd is not installed"
                              : "jackd -d dummy exited at start (no shared memory?)";
                pid = -1;
                return false;
            }
            if (jack_client_t *c = open_jack_test_client(name.c_str(), "probe")) {
                jack_client_close(c);
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        failure = "jackd -d dummy did not answer within 10 s";
        stop(SIGKILL);
        return false;
    }
    void stop(int signal = SIGTERM)
    {
        if (pid <= 0)
            return;
        kill(pid, signal);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~JackServer() { stop(); }
};
