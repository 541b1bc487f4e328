// The `vemo` executable without a window on a dummy JACK server: a test
// client feeds its input port, another records what it plays, and the
// recording equals the plug-in's own output for the fed signal, block for
// block. SIGTERM ends it at once with status 0, also after the server died.
#include <gtest/gtest.h>

#include "support/jack_server.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

#include "vst/vst_entry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

using namespace std::chrono_literals;

Xvfb *xvfb = new Xvfb(71);
const auto *registered = ::testing::AddGlobalTestEnvironment(xvfb);
using Clock = std::chrono::steady_clock;
// Time a host gets to end after SIGTERM: it usually takes well under 100 ms,
// but a sanitized build checks its heap for leaks as it exits.
constexpr auto EXIT_LIMIT = 10s;

// Long cycles: a busy machine misses fewer of them.
const int FRAMES = 1024;
const int RATE = 48000;

void quiet(const char *) {}

std::string unique_server_name()
{
    static int serial = 0;
    return "vemo-host-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

// The host as a child process with standard error in a file.
class HostProcess {
public:
    pid_t pid = -1;
    std::string log;

    // Without a display unless window is set (then the test's Xvfb).
    void start(const std::string &server, const std::string &log_path,
               std::vector<std::string> args, bool window = false)
    {
        log = log_path;
        std::fflush(stdout);
        std::fflush(stderr);
        pid = fork();
        if (pid == 0) {
            if (!std::freopen(log_path.c_str(), "w", stderr) ||
                !std::freopen("/dev/null", "w", stdout))
                _exit(126);
            setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
            if (!window)
                unsetenv("DISPLAY");
            std::vector<char *> argv{const_cast<char *>(VEMO_HOST_PATH)};
            for (std::string &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(VEMO_HOST_PATH, argv.data());
            _exit(127);
        }
    }
    bool running() { return pid > 0 && waitpid(pid, &status, WNOHANG) == 0; }
    // Sends SIGTERM; the exit status, or -1 when it did not end within limit.
    int terminate(std::chrono::milliseconds limit, Clock::duration *took)
    {
        const auto start = Clock::now();
        kill(pid, SIGTERM);
        while (Clock::now() - start < limit) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                *took = Clock::now() - start;
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(2ms);
        }
        return -1;
    }
    std::string errors() const
    {
        std::ifstream in(log);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    ~HostProcess()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

private:
    int status = 0;
};

// Feeds a signal into the host and records the signal and the host's two
// outputs, cycle by cycle: feed -> vemo -> record in one JACK cycle.
struct Rig {
    jack_client_t *feed = nullptr, *record = nullptr;
    jack_port_t *out = nullptr, *x = nullptr, *left = nullptr, *right = nullptr;
    std::atomic<bool> feeding{false}, recording{false};
    std::atomic<long> recorded{0};
    std::atomic<long> first_xrun{-1}; // the recorded block count at the first xrun
    uint32_t seed = 12345;
    std::vector<float> xs, ls, rs; // preallocated

    static int feed_process(jack_nframes_t n, void *arg)
    {
        Rig *r = static_cast<Rig *>(arg);
        float *buffer = static_cast<float *>(jack_port_get_buffer(r->out, n));
        for (jack_nframes_t i = 0; i < n; ++i) {
            float v = 0.0f;
            if (r->feeding.load(std::memory_order_relaxed)) {
                r->seed = r->seed * 1664525u + 1013904223u;
                v = ((float)(r->seed >> 8) / 16777216.0f - 0.5f) * 0.8f;
            }
            buffer[i] = v;
        }
        return 0;
    }
    static int record_process(jack_nframes_t n, void *arg)
    {
        Rig *r = static_cast<Rig *>(arg);
        const long at = r->recorded.load(std::memory_order_relaxed);
        if (!r->recording.load(std::memory_order_relaxed) ||
            (at + 1) * (long)n > (long)r->xs.size())
            return 0;
        std::memcpy(&r->xs[(size_t)at * n], jack_port_get_buffer(r->x, n), n * sizeof(float));
        std::memcpy(&r->ls[(size_t)at * n], jack_port_get_buffer(r->left, n), n * sizeof(float));
        std::memcpy(&r->rs[(size_t)at * n], jack_port_get_buffer(r->right, n), n * sizeof(float));
        r->recorded.store(at + 1, std::memory_order_relaxed);
        return 0;
    }
    static int xrun(void *arg)
    {
        Rig *r = static_cast<Rig *>(arg);
        if (!r->recording.load())
            return 0; // connections made before the recording may cost a cycle
        long none = -1;
        r->first_xrun.compare_exchange_strong(none, r->recorded.load());
        return 0;
    }
    ~Rig()
    {
        if (feed)
            jack_client_close(feed);
        if (record)
            jack_client_close(record);
    }
};

// Waits until the host's output port plays into the server's playback port,
// which it connects last when its mode starts.
bool wait_until_playing(jack_client_t *c, const char *port, const char *playback,
                        std::chrono::seconds limit)
{
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        jack_port_t *p = jack_port_by_name(c, port);
        if (p && jack_port_connected_to(p, playback))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

class HostJackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
        if (!server.start(unique_server_name(), FRAMES))
            GTEST_SKIP() << "JACK tests skipped: " << server.failure;
    }
    JackServer server;
    TempFolder folder;
};

intptr_t quiet_host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Comparison {
    int compared = 0;    // signal blocks compared before the first xrun
    long mismatched = 0; // samples
    long first_mismatch = -1;
    double energy = 0;
};

// The plug-in run directly, from its start, on silence and then on what the
// host was fed, in the host's blocks, up to the first xrun (after one, the
// host and the recorder may have seen different cycles).
Comparison compare_with_plugin(const Rig &rig, int blocks)
{
    Comparison c;
    AEffect *e = VSTPluginMain(&quiet_host);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, (float)RATE);
    std::vector<float> zero(FRAMES, 0.0f), l(FRAMES), r(FRAMES);
    for (int b = 0; b < 200; ++b) {
        float *ins[1] = {zero.data()};
        float *outs[2] = {l.data(), r.data()};
        e->processReplacing(e, ins, outs, FRAMES);
    }
    const long xrun = rig.first_xrun.load();
    const int usable = xrun >= 0 && xrun < blocks ? (int)xrun - 1 : blocks;
    for (int b = 0; b < usable; ++b) {
        float *ins[1] = {const_cast<float *>(&rig.xs[(size_t)b * FRAMES])};
        float *outs[2] = {l.data(), r.data()};
        e->processReplacing(e, ins, outs, FRAMES);
        c.compared += rig.xs[(size_t)b * FRAMES + FRAMES - 1] != 0.0f;
        for (int n = 0; n < FRAMES; ++n) {
            const size_t at = (size_t)b * FRAMES + (size_t)n;
            c.energy += (double)l[(size_t)n] * l[(size_t)n];
            if (std::memcmp(&l[(size_t)n], &rig.ls[at], sizeof(float)) ||
                std::memcmp(&r[(size_t)n], &rig.rs[at], sizeof(float))) {
                if (c.first_mismatch < 0)
                    c.first_mismatch = (long)at;
                ++c.mismatched;
            }
        }
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    return c;
}

TEST_F(HostJackTest, PlaysThePluginsOutputForTheFedSignalAndEndsOnSigterm)
{
    // A loaded machine may miss a cycle (xrun) early: then the run is made
    // again with a fresh host.
    for (int attempt = 0; attempt < 3; ++attempt) {
        HostProcess host;
        host.start(server.name, folder / "host.log", {"--no-gui"});

        Rig rig;
        const int blocks = 120;
        rig.xs.assign((size_t)blocks * FRAMES, 0.0f);
        rig.ls = rig.rs = rig.xs;
        rig.feed = open_jack_test_client(server.name.c_str(), "feed");
        rig.record = open_jack_test_client(server.name.c_str(), "record");
        ASSERT_TRUE(rig.feed && rig.record);
        rig.out = jack_port_register(rig.feed, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        rig.x = jack_port_register(rig.record, "x", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        rig.left =
            jack_port_register(rig.record, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        rig.right =
            jack_port_register(rig.record, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(rig.feed, &Rig::feed_process, &rig);
        jack_set_process_callback(rig.record, &Rig::record_process, &rig);
        jack_set_xrun_callback(rig.record, &Rig::xrun, &rig);
        ASSERT_EQ(jack_activate(rig.feed), 0);
        ASSERT_EQ(jack_activate(rig.record), 0);

        ASSERT_TRUE(wait_until_playing(rig.record, "vemo:out_2", "system:playback_2", 10s))
            << host.errors();
        ASSERT_EQ(jack_connect(rig.feed, "feed:out", "vemo:in_1"), 0);
        ASSERT_EQ(jack_connect(rig.feed, "feed:out", "record:x"), 0);
        ASSERT_EQ(jack_connect(rig.record, "vemo:out_1", "record:left"), 0);
        ASSERT_EQ(jack_connect(rig.record, "vemo:out_2", "record:right"), 0);

        // Silence first (the plug-in settles), then the signal.
        rig.recording = true;
        while (rig.recorded.load() < 20)
            std::this_thread::sleep_for(5ms);
        rig.feeding = true;
        const auto end = Clock::now() + 20s;
        while (rig.recorded.load() < blocks && Clock::now() < end)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(rig.recorded.load(), blocks);
        EXPECT_TRUE(host.running()) << host.errors();

        Clock::duration took{};
        EXPECT_EQ(host.terminate(EXIT_LIMIT, &took), 0) << host.errors();

        const Comparison c = compare_with_plugin(rig, blocks);
        EXPECT_EQ(c.mismatched, 0) << "first at sample " << c.first_mismatch << " (block "
                                   << c.first_mismatch / FRAMES << ")";
        if (c.compared < 30 && attempt < 2)
            continue;
        EXPECT_GE(c.compared, 30) << "xruns kept the signal from being compared";
        EXPECT_GT(c.energy, 1.0) << "the plug-in passed nothing";
        break;
    }
}

TEST_F(HostJackTest, SurvivesTheServerDyingAndReportsItOnce)
{
    HostProcess host;
    host.start(server.name, folder / "host.log", {"--no-gui", "--channels", "2"});
    jack_client_t *probe = open_jack_test_client(server.name.c_str(), "probe");
    ASSERT_NE(probe, nullptr);
    ASSERT_TRUE(wait_until_playing(probe, "vemo:out_2", "system:playback_2", 10s)) << host.errors();
    jack_client_close(probe);

    server.stop();
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(host.running()) << host.errors();
    Clock::duration took{};
    EXPECT_EQ(host.terminate(EXIT_LIMIT, &took), 0) << host.errors();
    const std::string errors = host.errors();
    const std::string reason = "JACK server shut down";
    const size_t first = errors.find(reason);
    EXPECT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(reason, first + 1), std::string::npos) << errors;
}

// With its window: it plays, and SIGTERM closes the window the way the
// window manager's close does, exiting 0.
TEST_F(HostJackTest, WindowedHostPlaysAndClosesOnSigterm)
{
    ASSERT_NE(xvfb->display, nullptr) << "Xvfb did not start";
    HostProcess host;
    host.start(server.name, folder / "host.log", {"--channels", "2"}, true);
    jack_client_t *probe = open_jack_test_client(server.name.c_str(), "probe");
    ASSERT_NE(probe, nullptr);
    EXPECT_TRUE(wait_until_playing(probe, "vemo:out_2", "system:playback_2", 10s)) << host.errors();
    jack_port_t *in2 = jack_port_by_name(probe, "vemo:in_2");
    EXPECT_TRUE(in2 && jack_port_connected_to(in2, "system:capture_2"));
    jack_client_close(probe);
    EXPECT_TRUE(host.running()) << host.errors();
    Clock::duration took{};
    EXPECT_EQ(host.terminate(EXIT_LIMIT, &took), 0) << host.errors();
}

} // namespace
