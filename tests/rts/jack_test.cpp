// The JACK driver against a real `jackd -d dummy` server started per test:
// a fed signal through the driver sample for sample, and the stream ending
// cleanly on a server that dies or changes its buffer size.
#include "ZR/Rts/ZR_Rts_Jack.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "support/eventually.h"
#include "support/jack_server.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

void quiet(const char *) {}

std::string unique_server_name()
{
    static int serial = 0;
    return "vemo-rts-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

// Copies input 1 to outputs 1 and 2 and checks every block's length.
struct Copier {
    static ZR_Rts *driver;
    static std::atomic<long> blocks, bad;
    static std::atomic<int> inside;
    static void callback()
    {
        inside.fetch_add(1);
        ZR_Rts::Chan *in = ZR_Rts::chan_at(driver->inputs, 0);
        ZR_Rts::Chan *out = ZR_Rts::chan_at(driver->outputs, 0);
        bool ok = in && out && in->count == driver->current_mode->frames &&
                  ZR_Rts::copyBuffer(out, in) == ZR_OK;
        if (ZR_Rts::Chan *second = ZR_Rts::chan_at(driver->outputs, 1))
            ok = ok && ZR_Rts::copyBuffer(second, in) == ZR_OK;
        (ok ? blocks : bad).fetch_add(1);
        inside.fetch_sub(1);
    }
};
ZR_Rts *Copier::driver;
std::atomic<long> Copier::blocks, Copier::bad;
std::atomic<int> Copier::inside;

class JackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
        ZR_headless_reset_message_boxes();
        ZR_Rts::clear_refusal();
        if (!server.start(unique_server_name()))
            GTEST_SKIP() << "JACK tests skipped: " << server.failure;
        setenv("JACK_DEFAULT_SERVER", server.name.c_str(), 1);
        ASSERT_EQ(ZR_Rts_Jack::classInit(&Copier::callback), ZR_OK);
        ASSERT_EQ(ZR_Rts_Jack::class_instances.count, 1);
        driver = static_cast<ZR_Rts_Jack *>(ZR_Rts_Jack::class_instances.first()->owner);
        Copier::driver = driver;
        Copier::blocks = 0;
        Copier::bad = 0;
    }
    void TearDown() override
    {
        ZR_Rts_Jack::class_cleanup();
        server.stop();
        unsetenv("JACK_DEFAULT_SERVER");
    }

    JackServer server;
    ZR_Rts_Jack *driver = nullptr;
};

// A test client that feeds a known ramp and records what comes back. Its port
// buffers are the driver's, handed over by libjack's own futexes, which the
// thread sanitizer cannot see: this test is not one of the thread tests.
struct Probe {
    jack_port_t *feed = nullptr, *rec = nullptr;
    long fed = 0;
    std::vector<float> recorded = std::vector<float>(256 * 400);
    std::atomic<long> recorded_frames{0};
    static float value(long n) { return (float)(n % 2000 + 1) / 4096.0f; }
    static int process(jack_nframes_t n, void *arg)
    {
        Probe *p = static_cast<Probe *>(arg);
        float *out = static_cast<float *>(jack_port_get_buffer(p->feed, n));
        const float *in = static_cast<const float *>(jack_port_get_buffer(p->rec, n));
        for (jack_nframes_t i = 0; i < n; ++i)
            out[i] = value(p->fed++);
        long at = p->recorded_frames.load(std::memory_order_relaxed);
        for (jack_nframes_t i = 0; i < n && at < (long)p->recorded.size(); ++i)
            p->recorded[(size_t)at++] = in[i];
        p->recorded_frames.store(at, std::memory_order_release);
        return 0;
    }
};

TEST_F(JackTest, FedSignalComesBackSampleExactOncePerBlock)
{
    ASSERT_STREQ(driver->name, ("JACK " + server.name).c_str());
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->modes.count, 1);
    ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, 0);
    EXPECT_STREQ(m->text, " 48.0 kHz, 32 bit, quadro");
    EXPECT_EQ(m->frames, 256);
    ASSERT_EQ(driver->inputs.count, 4);
    EXPECT_STREQ(ZR_Rts::chan_at(driver->inputs, 0)->name, "system:capture_1");
    ASSERT_EQ(driver->mode(m), ZR_OK);
    ASSERT_EQ(driver->outputs.count, 4);
    EXPECT_STREQ(ZR_Rts::chan_at(driver->outputs, 3)->name, "system:playback_4");
    EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 0)->format, 0x1002004u);

    Probe probe;
    jack_client_t *test = open_jack_test_client(server.name.c_str(), "feeder");
    ASSERT_NE(test, nullptr);
    probe.feed = jack_port_register(test, "feed", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    probe.rec = jack_port_register(test, "rec", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(test, &Probe::process, &probe);
    ASSERT_EQ(jack_activate(test), 0);
    ASSERT_EQ(jack_connect(test, jack_port_name(probe.feed), driver->port_name(true, 0)), 0);
    ASSERT_EQ(jack_connect(test, driver->port_name(false, 1), jack_port_name(probe.rec)), 0);
    const long driver_blocks_before = driver->blocks();

    ASSERT_TRUE(eventually(
        [&] {
            return probe.recorded_frames.load(std::memory_order_acquire) >=
                   (long)probe.recorded.size();
        },
        20000ms));
    jack_deactivate(test);
    const long driver_blocks = driver->blocks() - driver_blocks_before;
    // Every client hears of every xrun; a late cycle may drop or repeat one.
    const long xruns = driver->counts().overruns;
    jack_client_close(test);
    ASSERT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(Copier::bad, 0);

    // The ramp arrives after a latency of whole periods, and then exactly.
    size_t first = 0;
    while (first < probe.recorded.size() && probe.recorded[first] == 0.0f)
        ++first;
    ASSERT_LT(first, probe.recorded.size() / 2) << "no signal came back";
    EXPECT_EQ(first % 256, 0u);
    auto ramp_start = [](float v) {
        for (long n = 0; n < 2000; ++n)
            if (Probe::value(n) == v)
                return n;
        return -1L;
    };
    if (xruns == 0) {
        // One block per period of the recording, give or take the periods
        // around connecting and stopping.
        EXPECT_NEAR(driver_blocks, (long)probe.recorded.size() / 256, 20);
        const long n0 = ramp_start(probe.recorded[first]);
        ASSERT_GE(n0, 0);
        for (size_t i = first; i < probe.recorded.size(); ++i)
            ASSERT_EQ(probe.recorded[i], Probe::value(n0 + (long)(i - first))) << "sample " << i;
    }
    else {
        // Under load: every block still passes sample for sample.
        std::printf("%ld xruns: checking block by block\n", xruns);
        for (size_t b = first; b < probe.recorded.size(); b += 256) {
            const long n0 = ramp_start(probe.recorded[b]);
            ASSERT_GE(n0, 0) << "block at " << b;
            for (size_t i = 0; i < 256; ++i)
                ASSERT_EQ(probe.recorded[b + i], Probe::value(n0 + (long)i)) << "sample " << b + i;
        }
    }
    EXPECT_EQ(driver->done(), ZR_OK);
}

TEST_F(JackTest, ThreadHandOverFreeNeverReturnsWhileTheCallbackRuns)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, 0);
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(driver->mode(m), ZR_OK);
        ASSERT_TRUE(eventually([] { return Copier::blocks >= 3; }));
        ASSERT_EQ(driver->free(), ZR_OK);
        EXPECT_EQ(Copier::inside, 0);
        EXPECT_EQ(driver->outputs.count, 0);
        const long after = Copier::blocks;
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(Copier::blocks, after);
        Copier::blocks = 0;
    }
    EXPECT_EQ(Copier::bad, 0);
    EXPECT_EQ(driver->done(), ZR_OK);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
}

TEST_F(JackTest, ThreadServerKilledMidStreamEndsOnceAndTheDriverIsSelectableAgain)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->mode(ZR_Rts::mode_at(driver->modes, 0)), ZR_OK);
    ASSERT_TRUE(eventually([] { return Copier::blocks >= 5; }));
    server.stop(SIGKILL);
    ASSERT_TRUE(eventually([&] { return !driver->streaming(); }));
    ASSERT_TRUE(eventually([] { return ZR_headless_last_message_box().count == 1; }));
    EXPECT_NE(ZR_headless_last_message_box().text.find("JACK server shut down"), std::string::npos);
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(driver->done(), ZR_OK);
    EXPECT_EQ(ZR_headless_last_message_box().count, 1);
    EXPECT_EQ(Copier::bad, 0);
    EXPECT_FALSE(ZR_Rts::refusing());

    // No server: init fails at once and names the call.
    EXPECT_EQ(driver->init(), ZR_ERROR_AUDIO);
    EXPECT_NE(ZR_headless_last_message_box().text.find("jack_client_open"), std::string::npos);
    driver->done();

    // A new server under the same name: the same instance streams again.
    ASSERT_TRUE(server.start(server.name)) << server.failure;
    ASSERT_EQ(driver->init(), ZR_OK);
    Copier::blocks = 0;
    ASSERT_EQ(driver->mode(ZR_Rts::mode_at(driver->modes, 0)), ZR_OK);
    EXPECT_TRUE(eventually([] { return Copier::blocks >= 5; }));
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(driver->done(), ZR_OK);
}

TEST_F(JackTest, ThreadBufferSizeChangeStopsTheStreamWithoutACountMismatch)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->mode(ZR_Rts::mode_at(driver->modes, 0)), ZR_OK);
    ASSERT_TRUE(eventually([] { return Copier::blocks >= 5; }));
    jack_client_t *other = open_jack_test_client(server.name.c_str(), "resizer");
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(jack_set_buffer_size(other, 512), 0);
    ASSERT_TRUE(eventually([&] { return !driver->streaming(); }));
    jack_client_close(other);
    EXPECT_EQ(Copier::bad, 0);
    EXPECT_FALSE(ZR_Rts::refusing());
    ASSERT_TRUE(eventually([] { return ZR_headless_last_message_box().count == 1; }));
    EXPECT_NE(ZR_headless_last_message_box().text.find("buffer size"), std::string::npos);

    // Picking the driver again offers the new block length.
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(driver->done(), ZR_OK);
    ASSERT_EQ(driver->init(), ZR_OK);
    ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, 0);
    EXPECT_EQ(m->frames, 512);
    Copier::blocks = 0;
    ASSERT_EQ(driver->mode(m), ZR_OK);
    EXPECT_TRUE(eventually([] { return Copier::blocks >= 5; }));
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(Copier::bad, 0);
}

TEST(JackNoServer, InitFailsAtOnceNamingTheCallAndClassInitListsNothing)
{
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    ZR_headless_reset_message_boxes();
    const std::string missing = "vemo-rts-missing-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", missing.c_str(), 1);
    const int before = ZR_Rts_instances.count;
    ASSERT_EQ(ZR_Rts_Jack::classInit(nullptr), ZR_OK);
    EXPECT_EQ(ZR_Rts_instances.count, before);

    ZR_Rts_Jack driver(missing.c_str());
    EXPECT_EQ(driver.init(), ZR_ERROR_AUDIO);
    auto box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_NE(box.text.find("Error: jack_client_open"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("ZR/Rts/Jack"), std::string::npos) << box.text;
    EXPECT_EQ(driver.modes.count, 0);
    EXPECT_EQ(driver.done(), ZR_OK);
    unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace
