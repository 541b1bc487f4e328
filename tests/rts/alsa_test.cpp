// The ALSA driver: probe order and modes over a stand-in device layer, the
// capture thread's xrun and unplug handling, and a real file PCM end to end.
#include "ZR/Rts/ZR_Rts_Alsa.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "support/eventually.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::string described(const AlsaFormat &f)
{
    char s[64];
    std::snprintf(s, sizeof s, "%s %d ch %d Hz %d bit", f.capture ? "capture" : "playback",
                  f.channels, f.rate, f.bits);
    return s;
}

// A device that accepts what `accepts` allows; its capture side delivers
// blocks of a running counter and fails as scripted.
class FakeDevices : public AlsaDevices {
public:
    std::function<bool(const AlsaFormat &)> accepts = [](const AlsaFormat &) { return true; };
    std::vector<std::string> opened;
    std::atomic<long> reads{0};
    long overrun_at = -1; // read number that reports an overrun
    long unplug_at = -1;  // read number from which the device is gone
    int stop_result = 0;

    std::unique_ptr<AlsaPcm> open(const char *, const AlsaFormat &f, int *error) override;
};

class FakePcm : public AlsaPcm {
public:
    FakePcm(FakeDevices &owner, const AlsaFormat &format) : owner(owner), format(format) {}
    long read(void *buffer, long frames) override
    {
        long n = owner.reads.fetch_add(1) + 1;
        std::this_thread::sleep_for(200us);
        if (owner.unplug_at >= 0 && n >= owner.unplug_at)
            return -ENODEV;
        if (n == owner.overrun_at)
            return -EPIPE;
        std::memset(buffer, (int)(n & 0x7F), (size_t)frames * format.channels * format.bits / 8);
        return frames;
    }
    long write(const void *, long frames) override { return frames; }
    int wait(int) override { return 0; }
    int prepare() override { return 0; }
    int stop() override { return format.capture ? owner.stop_result : 0; }
    int close() override { return 0; }

private:
    FakeDevices &owner;
    AlsaFormat format;
};

std::unique_ptr<AlsaPcm> FakeDevices::open(const char *, const AlsaFormat &f, int *error)
{
    opened.push_back(described(f));
    *error = accepts(f) ? 0 : -EINVAL;
    if (*error)
        return nullptr;
    return std::make_unique<FakePcm>(*this, f);
}

std::vector<std::string> mode_texts(const ZR_Rts &d)
{
    std::vector<std::string> texts;
    for (int i = 0; ZR_Rts::mode_at(d.modes, i); ++i)
        texts.push_back(ZR_Rts::mode_at(d.modes, i)->text);
    return texts;
}

std::vector<std::string> chan_names(const ZR_Chain &list)
{
    std::vector<std::string> names;
    for (int i = 0; ZR_Rts::chan_at(list, i); ++i)
        names.push_back(ZR_Rts::chan_at(list, i)->name);
    return names;
}

TEST(AlsaProbe, OpensInBitsRateCaptureThenPlaybackOrder)
{
    FakeDevices devices;
    // Refuses 96 kHz capture and 4 playback channels at 24 bit.
    devices.accepts = [](const AlsaFormat &f) {
        return !(f.capture && f.rate == 96000) && !(!f.capture && f.bits == 24 && f.channels == 4);
    };
    ZR_Rts_Alsa driver("probe", "fake", &devices);
    ASSERT_EQ(driver.init(), ZR_OK);

    std::vector<std::string> expected;
    std::vector<std::string> modes;
    for (int bits : {32, 24, 16})
        for (int rate : {48000, 96000, 192000, 44100}) {
            expected.push_back(described({true, 2, rate, bits, rate / 100}));
            if (rate == 96000)
                continue;
            for (int outputs : {4, 2}) {
                expected.push_back(described({false, outputs, rate, bits, rate / 100}));
                if (bits == 24 && outputs == 4)
                    continue;
                char text[64];
                std::snprintf(text, sizeof text, "%5.1f kHz, %d bit, %s", rate / 1000.0, bits,
                              outputs == 4 ? "quadro" : "stereo");
                modes.push_back(text);
            }
        }
    EXPECT_EQ(devices.opened, expected);
    EXPECT_EQ(mode_texts(driver), modes);
    EXPECT_EQ(ZR_Rts::mode_at(driver.modes, 0)->frames, 480);
    EXPECT_EQ(chan_names(driver.inputs), (std::vector<std::string>{"Left", "Right"}));
}

TEST(AlsaProbe, SixteenBitStereoAt44kIsTheOnlyMode)
{
    FakeDevices devices;
    devices.accepts = [](const AlsaFormat &f) {
        return f.bits == 16 && f.rate == 44100 && f.channels == 2;
    };
    ZR_Rts_Alsa driver("probe", "fake", &devices);
    ASSERT_EQ(driver.init(), ZR_OK);
    EXPECT_EQ(mode_texts(driver), (std::vector<std::string>{" 44.1 kHz, 16 bit, stereo"}));
    EXPECT_EQ(ZR_Rts::mode_at(driver.modes, 0)->frames, 441);
}

TEST(AlsaProbe, DeviceThatRefusesEverythingOffersNoModeAndCannotOpen)
{
    FakeDevices devices;
    devices.accepts = [](const AlsaFormat &) { return false; };
    ZR_Rts_Alsa driver("probe", "fake", &devices);
    ASSERT_EQ(driver.init(), ZR_OK);
    EXPECT_EQ(driver.modes.count, 0);
    ZR_Rts::Mode m(48000, 16, 480, 2);
    EXPECT_EQ(driver.mode(&m), ZR_ERROR_AUDIO_CANNOT_OPEN);
    EXPECT_EQ(driver.outputs.count, 0);
}

// The host's side of a block: input 1 through a float transfer channel to
// outputs 1 and 2, counting blocks and refusals.
struct PassThrough {
    static ZR_Rts *driver;
    static std::atomic<long> blocks, refused;
    static std::atomic<int> inside;
    static float transfer[4096];

    static void callback()
    {
        inside.fetch_add(1);
        ZR_Rts::Chan *in = ZR_Rts::chan_at(driver->inputs, 0);
        ZR_Rts::Chan t("transfer", ZR_Rts::FORMAT_FLOAT | 32 << 8 | 4, in->count);
        t.data = transfer;
        bool ok = ZR_Rts::copyBuffer(&t, in) == ZR_OK;
        for (int k = 0; k < 2; ++k)
            ok = ok && ZR_Rts::copyBuffer(ZR_Rts::chan_at(driver->outputs, k), &t) == ZR_OK;
        (ok ? blocks : refused).fetch_add(1);
        inside.fetch_sub(1);
    }
    static void reset(ZR_Rts *d)
    {
        driver = d;
        blocks = 0;
        refused = 0;
    }
};
ZR_Rts *PassThrough::driver;
std::atomic<long> PassThrough::blocks, PassThrough::refused;
std::atomic<int> PassThrough::inside;
float PassThrough::transfer[4096];

class AlsaThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZR_headless_reset_message_boxes();
        ZR_Rts::clear_refusal();
        ZR_Rts_Alsa::block_callback = &PassThrough::callback;
        PassThrough::reset(&driver);
        ASSERT_EQ(driver.init(), ZR_OK);
    }
    void TearDown() override { ZR_Rts_Alsa::block_callback = nullptr; }

    ZR_Rts::Mode *quadro() { return ZR_Rts::mode_at(driver.modes, 0); }

    FakeDevices devices;
    ZR_Rts_Alsa driver{"fake", "fake", &devices};
};

TEST_F(AlsaThread, OverrunIsCountedAndTheStreamGoesOn)
{
    devices.overrun_at = 3;
    ASSERT_EQ(driver.mode(quadro()), ZR_OK);
    EXPECT_EQ(chan_names(driver.outputs),
              (std::vector<std::string>{"Left front", "Right front", "Left back", "Right back"}));
    EXPECT_EQ(ZR_Rts::chan_at(driver.inputs, 0)->format, 0x2008u);
    EXPECT_EQ(ZR_Rts::chan_at(driver.outputs, 0)->format, 0x2010u);
    ASSERT_TRUE(eventually([] { return PassThrough::blocks >= 20; }));
    EXPECT_EQ(driver.free(), ZR_OK);
    EXPECT_EQ(driver.counts().overruns, 1);
    EXPECT_GE(driver.counts().blocks, 20);
    EXPECT_EQ(PassThrough::refused, 0);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
}

TEST_F(AlsaThread, FreeReturnsOnlyAfterTheLastCallbackAndModesRepeat)
{
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(driver.mode(ZR_Rts::mode_at(driver.modes, round % driver.modes.count)), ZR_OK);
        ASSERT_TRUE(eventually([] { return PassThrough::blocks >= 3; }));
        ASSERT_EQ(driver.free(), ZR_OK);
        EXPECT_EQ(PassThrough::inside, 0);
        long after = PassThrough::blocks;
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(PassThrough::blocks, after);
        EXPECT_EQ(driver.outputs.count, 0);
        EXPECT_EQ(driver.current_mode, nullptr);
        PassThrough::blocks = 0;
    }
    EXPECT_EQ(PassThrough::refused, 0);
}

TEST_F(AlsaThread, UnpluggedDeviceEndsTheStreamReportsOnceAndIsSelectableAgain)
{
    devices.unplug_at = 10;
    ASSERT_EQ(driver.mode(quadro()), ZR_OK);
    ASSERT_TRUE(eventually([&] { return !driver.streaming(); }));
    ASSERT_TRUE(eventually([] { return ZR_headless_last_message_box().count == 1; }));
    std::string text = ZR_headless_last_message_box().text;
    EXPECT_NE(text.find("snd_pcm_readi"), std::string::npos) << text;
    EXPECT_NE(text.find("ZR/Rts/Alsa"), std::string::npos) << text;
    EXPECT_EQ(driver.free(), ZR_OK);
    EXPECT_EQ(ZR_headless_last_message_box().count, 1);

    // Plugged in again: the same instance streams.
    devices.unplug_at = -1;
    EXPECT_EQ(driver.done(), ZR_OK);
    ASSERT_EQ(driver.init(), ZR_OK);
    PassThrough::blocks = 0;
    ASSERT_EQ(driver.mode(quadro()), ZR_OK);
    EXPECT_TRUE(eventually([] { return PassThrough::blocks >= 5; }));
    EXPECT_EQ(driver.free(), ZR_OK);
}

TEST_F(AlsaThread, CountMismatchLatchClearsWhenAModeStarts)
{
    float a[2] = {}, b[3] = {};
    ZR_Rts::Chan two("a", ZR_Rts::FORMAT_FLOAT | 32 << 8 | 4, 2), three("b", 0x1002004, 3);
    two.data = a;
    three.data = b;
    ASSERT_EQ(ZR_Rts::copyBuffer(&three, &two), nullptr);
    ASSERT_TRUE(ZR_Rts::refusing());
    ASSERT_EQ(driver.mode(quadro()), ZR_OK);
    EXPECT_FALSE(ZR_Rts::refusing());
    ASSERT_TRUE(eventually([] { return PassThrough::blocks >= 3; }));
    EXPECT_EQ(driver.free(), ZR_OK);
}

TEST_F(AlsaThread, InputThatCannotBeStoppedFailsAfterBoundedRetries)
{
    devices.stop_result = -EIO;
    ASSERT_EQ(driver.mode(quadro()), ZR_OK);
    ASSERT_TRUE(eventually([] { return PassThrough::blocks >= 1; }));
    EXPECT_EQ(driver.free(), ZR_ERROR_AUDIO_CANNOT_INPUT_STOP);
    EXPECT_EQ(driver.outputs.count, 0);
}

// ---- libasound over a file PCM ----------------------------------------------

class AlsaFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vemo-rts-alsa-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        std::ofstream conf(dir + "/test.conf");
        conf << "pcm.!default {\n  type asym\n"
             << "  capture.pcm { type file slave.pcm \"null\" file \"" << dir
             << "/tap.raw\" infile \"" << dir << "/in.raw\" format \"raw\" }\n"
             << "  playback.pcm { type file slave.pcm \"null\" file \"" << dir
             << "/out.raw\" format \"raw\" }\n}\n";
        conf.close();
        setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + dir + "/test.conf").c_str(), 1);
        snd_config_update_free_global();
        ZR_headless_reset_message_boxes();
        ZR_Rts::clear_refusal();
    }
    void TearDown() override
    {
        ZR_Rts_Alsa::class_cleanup();
        ZR_Rts_Alsa::block_callback = nullptr;
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    std::string dir;
};

std::atomic<long> file_blocks{0};
ZR_Rts *file_driver = nullptr;

// Input Left straight to the two front outputs, bit for bit.
void copy_left_to_front()
{
    ZR_Rts::Chan *in = ZR_Rts::chan_at(file_driver->inputs, 0);
    ZR_Rts::copyBuffer(ZR_Rts::chan_at(file_driver->outputs, 0), in);
    ZR_Rts::copyBuffer(ZR_Rts::chan_at(file_driver->outputs, 1), in);
    // The file PCM does not pace; keep the output file small.
    if (file_blocks.fetch_add(1) > 10)
        std::this_thread::sleep_for(2ms);
}

TEST_F(AlsaFile, KnownInputComesOutAfterTwoBlocksOfLead)
{
    const int frames = 480, blocks = 6;
    std::vector<int32_t> input((size_t)frames * blocks * 2);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = (int32_t)(i * 2654435761u); // Left and Right differ
    {
        std::ofstream in(dir + "/in.raw", std::ios::binary);
        in.write(reinterpret_cast<const char *>(input.data()),
                 (std::streamsize)(input.size() * sizeof(int32_t)));
    }

    ASSERT_EQ(ZR_Rts_Alsa::classInit(&copy_left_to_front), ZR_OK);
    ZR_Rts *driver = static_cast<ZR_Rts *>(ZR_Rts_instances.first()->owner);
    ASSERT_STREQ(driver->name, "ALSA default");
    file_driver = driver;
    ASSERT_EQ(driver->init(), ZR_OK);
    // The file PCM takes every format: all 24 modes, 32-bit quadro first.
    ASSERT_EQ(driver->modes.count, 24);
    ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, 0);
    ASSERT_STREQ(m->text, " 48.0 kHz, 32 bit, quadro");
    ASSERT_EQ(driver->mode(m), ZR_OK);
    ASSERT_TRUE(eventually([] { return file_blocks >= blocks + 2; }));
    ASSERT_EQ(driver->free(), ZR_OK);
    ASSERT_EQ(driver->done(), ZR_OK);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);

    std::ifstream out(dir + "/out.raw", std::ios::binary);
    std::vector<int32_t> played((size_t)frames * (blocks + 2) * 4);
    out.read(reinterpret_cast<char *>(played.data()),
             (std::streamsize)(played.size() * sizeof(int32_t)));
    ASSERT_TRUE(out.good()) << "output file too short";
    for (size_t f = 0; f < (size_t)frames * (blocks + 2); ++f) {
        int32_t left = f < 2 * (size_t)frames ? 0 : input[(f - 2 * frames) * 2];
        ASSERT_EQ(played[f * 4 + 0], left) << "frame " << f;
        ASSERT_EQ(played[f * 4 + 1], left) << "frame " << f;
        ASSERT_EQ(played[f * 4 + 2], 0) << "frame " << f;
        ASSERT_EQ(played[f * 4 + 3], 0) << "frame " << f;
    }
}

} // namespace
