// The wave driver against a scripted device (probing, buffer rules, free's
// retries) and against Wine's wave devices on an ALSA null PCM.
#include "ZR/Rts/ZR_Rts_Win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A wave device the test drives by hand: input buffers complete when the test
// says so, output buffers stay queued until the test plays them.
struct FakeDevice {
    std::function<bool(bool input, const WAVEFORMATEX &)> accepts = [](bool, const WAVEFORMATEX &) {
        return true;
    };
    int open_in = 0, open_out = 0;
    std::deque<WAVEHDR *> queued_in, queued_out;
    std::vector<int> written;           // header index of every output write
    std::vector<int32_t> written_first; // first sample of each written buffer
    std::vector<DWORD> sleeps, waits;
    bool returns_buffers = true; // the device gives its buffers back on a stop
    MMRESULT fail_in_stop = 0, fail_out_reset = 0, fail_in_close = 0, fail_out_close = 0;
    MMRESULT fail_in_start = 0;

    // One recorded block comes back, as the device's thread would deliver it.
    bool complete_input()
    {
        if (queued_in.empty())
            return false;
        WAVEHDR *h = queued_in.front();
        queued_in.pop_front();
        h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        ZR_Rts_Win32::input_proc(reinterpret_cast<HWAVEIN>(1), WIM_DATA, 0,
                                 reinterpret_cast<DWORD_PTR>(h), 0);
        return true;
    }
    void play(int n)
    {
        for (; n > 0 && !queued_out.empty(); --n) {
            queued_out.front()->dwFlags |= WHDR_DONE;
            queued_out.pop_front();
        }
    }
};

FakeDevice dev;

int index_of(const WAVEHDR *h)
{
    return reinterpret_cast<const ZR_Rts_Win32::Tag *>(h->dwUser)->index;
}

const WaveApi FAKE_API = {
    [](LPHWAVEIN h, UINT, LPCWAVEFORMATEX f, DWORD_PTR, DWORD_PTR, DWORD) -> MMRESULT {
        if (!dev.accepts(true, *f))
            return WAVERR_BADFORMAT;
        dev.open_in++;
        *h = reinterpret_cast<HWAVEIN>(1);
        return 0;
    },
    [](HWAVEIN) -> MMRESULT {
        if (dev.fail_in_close)
            return dev.fail_in_close;
        if (!dev.queued_in.empty())
            return WAVERR_STILLPLAYING;
        dev.open_in--;
        return 0;
    },
    [](HWAVEIN, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags |= WHDR_PREPARED;
        return 0;
    },
    [](HWAVEIN, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags &= ~WHDR_PREPARED;
        return 0;
    },
    [](HWAVEIN, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags = (h->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        dev.queued_in.push_back(h);
        return 0;
    },
    [](HWAVEIN) -> MMRESULT { return dev.fail_in_start; },
    [](HWAVEIN) -> MMRESULT { return dev.fail_in_stop; },
    [](HWAVEIN) -> MMRESULT {
        while (dev.complete_input()) {
        }
        return 0;
    },
    [](LPHWAVEOUT h, UINT, LPCWAVEFORMATEX f, DWORD_PTR, DWORD_PTR, DWORD) -> MMRESULT {
        if (!dev.accepts(false, *f))
            return WAVERR_BADFORMAT;
        dev.open_out++;
        *h = reinterpret_cast<HWAVEOUT>(2);
        return 0;
    },
    [](HWAVEOUT) -> MMRESULT {
        if (dev.fail_out_close)
            return dev.fail_out_close;
        dev.open_out--;
        return 0;
    },
    [](HWAVEOUT, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags |= WHDR_PREPARED;
        return 0;
    },
    [](HWAVEOUT, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags &= ~WHDR_PREPARED;
        return 0;
    },
    [](HWAVEOUT, LPWAVEHDR h, UINT) -> MMRESULT {
        h->dwFlags &= ~WHDR_DONE;
        dev.queued_out.push_back(h);
        dev.written.push_back(index_of(h));
        int32_t first;
        std::memcpy(&first, h->lpData, 4);
        dev.written_first.push_back(first);
        return 0;
    },
    [](HWAVEOUT) -> MMRESULT {
        if (dev.fail_out_reset)
            return dev.fail_out_reset;
        dev.play(ZR_Rts_Win32::BUFFERS);
        return 0;
    },
    [](DWORD ms) { dev.sleeps.push_back(ms); },
    [](HANDLE h, DWORD ms) -> DWORD {
        dev.waits.push_back(ms);
        if (dev.returns_buffers)
            while (dev.complete_input()) {
            }
        return WaitForSingleObject(h, 0);
    },
};

// The block callback: numbers each block into the first output sample (32-bit
// modes) and notes which output buffer it was given.
std::atomic<int> block_number{0};
ZR_Rts_Win32 *current = nullptr;
std::vector<char *> seen_outputs;

void numbering_callback()
{
    int n = ++block_number;
    ZR_Rts::Chan *out = ZR_Rts::chan_at(current->outputs, 0);
    seen_outputs.push_back(static_cast<char *>(out->data));
    if (out->data)
        std::memcpy(out->data, &n, 4);
}

class WaveFake : public ::testing::Test {
protected:
    void SetUp() override
    {
        dev = FakeDevice();
        block_number = 0;
        seen_outputs.clear();
        ZR_Rts_Win32::block_callback = numbering_callback;
        driver = std::make_unique<ZR_Rts_Win32>(FAKE_API);
        current = driver.get();
    }
    void TearDown() override
    {
        dev.fail_in_stop = dev.fail_out_reset = dev.fail_in_close = dev.fail_out_close = 0;
        driver.reset();
        ZR_Rts_Win32::block_callback = nullptr;
    }
    ZR_Rts::Mode *find_mode(int rate, int bits, int channels)
    {
        for (int i = 0;; ++i) {
            ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, i);
            if (!m || (m->rate == rate && m->bits == bits && m->channels == channels))
                return m;
        }
    }
    std::unique_ptr<ZR_Rts_Win32> driver;
};

TEST_F(WaveFake, ProbingListsWhatTheDeviceAcceptsInOrder)
{
    struct Case {
        const char *what;
        std::function<bool(bool, const WAVEFORMATEX &)> accepts;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"refuses everything", [](bool, const WAVEFORMATEX &) { return false; }, {}},
        {"16-bit stereo 44.1 kHz only",
         [](bool, const WAVEFORMATEX &f) {
             return f.wBitsPerSample == 16 && f.nChannels == 2 && f.nSamplesPerSec == 44100;
         },
         {" 44.1 kHz, 16 bit, stereo"}},
        {"input refuses 96 kHz, output takes 2 channels at 24 bit",
         [](bool in, const WAVEFORMATEX &f) {
             if (in)
                 return f.nSamplesPerSec != 96000;
             return f.wBitsPerSample != 24 || f.nChannels == 2;
         },
         {" 48.0 kHz, 32 bit, quadro", " 48.0 kHz, 32 bit, stereo", "192.0 kHz, 32 bit, quadro",
          "192.0 kHz, 32 bit, stereo", " 44.1 kHz, 32 bit, quadro", " 44.1 kHz, 32 bit, stereo",
          " 48.0 kHz, 24 bit, stereo", "192.0 kHz, 24 bit, stereo", " 44.1 kHz, 24 bit, stereo",
          " 48.0 kHz, 16 bit, quadro", " 48.0 kHz, 16 bit, stereo", "192.0 kHz, 16 bit, quadro",
          "192.0 kHz, 16 bit, stereo", " 44.1 kHz, 16 bit, quadro", " 44.1 kHz, 16 bit, stereo"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        dev.accepts = c.accepts;
        ASSERT_EQ(driver->init(), ZR_OK);
        std::vector<std::string> texts;
        for (int i = 0; ZR_Rts::Mode *m = ZR_Rts::mode_at(driver->modes, i); ++i) {
            texts.push_back(m->text);
            EXPECT_EQ(m->frames, m->rate / 100);
        }
        EXPECT_EQ(texts, c.texts);
        // Every probe was closed again; the inputs are there either way.
        EXPECT_EQ(dev.open_in, 0);
        EXPECT_EQ(dev.open_out, 0);
        ASSERT_NE(ZR_Rts::chan_at(driver->inputs, 1), nullptr);
        EXPECT_STREQ(ZR_Rts::chan_at(driver->inputs, 0)->name, "Left");
        EXPECT_STREQ(ZR_Rts::chan_at(driver->inputs, 1)->name, "Right");
        EXPECT_EQ(ZR_Rts::chan_at(driver->inputs, 2), nullptr);
        driver->done();
    }
}

TEST_F(WaveFake, ModeLaysOutOneAllocationAndNamesFourOutputs)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ZR_Rts::Mode *m = find_mode(48000, 24, 4);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(driver->mode(m), ZR_OK);
    const size_t b = 3 * 480; // bytes per channel per block
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(driver->out_buffers[i], driver->out_buffers[0] + i * 4 * b);
        EXPECT_EQ(driver->in_buffers[i], driver->out_buffers[0] + 8 * 4 * b + i * 2 * b);
        EXPECT_EQ(driver->in_headers[i].dwBufferLength, 2 * b);
        EXPECT_EQ(driver->out_headers[i].dwBufferLength, 4 * b);
        EXPECT_EQ(driver->out_headers[i].dwFlags, (DWORD)WHDR_DONE);
        EXPECT_EQ(driver->out_headers[i].dwLoops, 1u);
    }
    EXPECT_EQ(dev.queued_in.size(), 8u);
    const char *names[] = {"Left front", "Right front", "Left back", "Right back"};
    for (int k = 0; k < 4; ++k) {
        ZR_Rts::Chan *out = ZR_Rts::chan_at(driver->outputs, k);
        ASSERT_NE(out, nullptr);
        EXPECT_STREQ(out->name, names[k]);
        EXPECT_EQ(out->format, 12u + 24 * 256);
        EXPECT_EQ(out->count, 480);
    }
    EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 4), nullptr);
    EXPECT_EQ(ZR_Rts::chan_at(driver->inputs, 0)->format, 6u + 24 * 256);
    // A block: the right input starts one sample into the stereo frame.
    ASSERT_TRUE(dev.complete_input());
    EXPECT_EQ(ZR_Rts::chan_at(driver->inputs, 0)->data, driver->in_buffers[0]);
    EXPECT_EQ(ZR_Rts::chan_at(driver->inputs, 1)->data, driver->in_buffers[0] + 3);
    EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 3)->data, driver->out_buffers[0] + 9);
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_EQ(dev.open_in + dev.open_out, 0);
}

TEST_F(WaveFake, OutputKeepsTwoBlocksOfLeadAndDropsWhenOnlyOneBufferIsIdle)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->mode(find_mode(48000, 32, 2)), ZR_OK);
    // A device that plays nothing: idle buffers 8, 6, 4, 3, 2, 1, 1.
    const size_t writes_after[] = {2, 4, 5, 6, 7, 7, 7};
    for (size_t block = 0; block < 7; ++block) {
        ASSERT_TRUE(dev.complete_input());
        EXPECT_EQ(dev.written.size(), writes_after[block]) << "block " << block + 1;
    }
    EXPECT_EQ(driver->dropped(), 2);
    // The first block went out with one buffer of silence behind it; each
    // written buffer is the idle one its block was given.
    EXPECT_EQ(dev.written, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(dev.written_first, (std::vector<int32_t>{1, 0, 2, 0, 3, 4, 5}));
    EXPECT_EQ(seen_outputs[5], driver->out_buffers[7]);

    // Steady state: the device plays one buffer per block, the lead stays.
    dev.play(7);
    dev.written.clear();
    for (int block = 0; block < 20; ++block) {
        ASSERT_TRUE(dev.complete_input());
        dev.play(1);
    }
    // Three extra buffers while the queue refills from eight idle, then one
    // write a block.
    EXPECT_EQ(dev.written.size(), 23u);
    EXPECT_EQ(driver->dropped(), 2);
    EXPECT_EQ(driver->free(), ZR_OK);
}

TEST_F(WaveFake, FreeEndsWithTheFailingStepsErrorAfterTenTries)
{
    struct Case {
        MMRESULT FakeDevice::*fail;
        ZR_status expected;
        const char *text;
    };
    const Case cases[] = {
        {&FakeDevice::fail_in_stop, ZR_ERROR_AUDIO_CANNOT_INPUT_STOP,
         "Cannot stop input audio device"},
        {&FakeDevice::fail_out_reset, ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET,
         "Cannot reset output audio device"},
        {&FakeDevice::fail_in_close, ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE,
         "Cannot close input audio device"},
        {&FakeDevice::fail_out_close, ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE,
         "Cannot close output audio device"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(c.expected, c.text);
        SetUp();
        ASSERT_EQ(driver->init(), ZR_OK);
        ASSERT_EQ(driver->mode(find_mode(44100, 16, 2)), ZR_OK);
        dev.*c.fail = MMSYSERR_ERROR;
        EXPECT_EQ(driver->free(), c.expected);
        EXPECT_EQ(dev.waits, std::vector<DWORD>{10000});
        EXPECT_EQ(dev.sleeps,
                  (std::vector<DWORD>{100, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500}));
        EXPECT_EQ(driver->current_mode, nullptr);
        EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 0), nullptr);
        dev.*c.fail = 0;
        EXPECT_EQ(driver->free(), ZR_OK);
        TearDown();
    }
}

TEST_F(WaveFake, FreeEndsWhenTheDeviceKeepsItsBuffers)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->mode(find_mode(48000, 16, 2)), ZR_OK);
    dev.returns_buffers = false;
    EXPECT_EQ(driver->free(), ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE);
    EXPECT_EQ(dev.waits, std::vector<DWORD>{10000});
    // Buffers that come back later are only counted, never queued again.
    while (dev.complete_input()) {
    }
    EXPECT_EQ(block_number, 0);
    EXPECT_EQ(driver->free(), ZR_OK);
}

TEST_F(WaveFake, AFailedModeLeavesNothingOpenAndCanBeRetried)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ZR_Rts::Mode *m = find_mode(48000, 16, 4);
    dev.fail_in_start = MMSYSERR_ERROR;
    EXPECT_EQ(driver->mode(m), ZR_ERROR_AUDIO);
    EXPECT_EQ(dev.open_in + dev.open_out, 0);
    EXPECT_EQ(block_number, 0);
    dev.fail_in_start = 0;
    dev.accepts = [](bool in, const WAVEFORMATEX &) { return in; };
    EXPECT_EQ(driver->mode(m), ZR_ERROR_AUDIO_CANNOT_OPEN);
    EXPECT_EQ(dev.open_in + dev.open_out, 0);
    // Nothing is open, so nothing can come back: free ends at once.
    EXPECT_EQ(driver->free(), ZR_OK);
    EXPECT_TRUE(dev.waits.empty());
    EXPECT_TRUE(dev.sleeps.empty());
    dev.accepts = [](bool, const WAVEFORMATEX &) { return true; };
    ASSERT_EQ(driver->mode(m), ZR_OK);
    EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 3) != nullptr, true);
    EXPECT_EQ(ZR_Rts::chan_at(driver->outputs, 4), nullptr);
    ASSERT_TRUE(dev.complete_input());
    EXPECT_EQ(block_number, 1);
    EXPECT_EQ(driver->free(), ZR_OK);
}

TEST_F(WaveFake, DoneStopsAStreamThatWasNotFreed)
{
    ASSERT_EQ(driver->init(), ZR_OK);
    ASSERT_EQ(driver->mode(find_mode(96000, 24, 2)), ZR_OK);
    ASSERT_TRUE(dev.complete_input());
    EXPECT_EQ(driver->done(), ZR_OK);
    EXPECT_EQ(dev.open_in + dev.open_out, 0);
    EXPECT_EQ(ZR_Rts::chan_at(driver->inputs, 0), nullptr);
    EXPECT_FALSE(dev.complete_input());
    EXPECT_EQ(block_number, 1);
}

// ---- Wine's wave devices (ALSA null PCM as the default device) ----------

std::atomic<long> real_blocks{0};
std::atomic<bool> real_bad{false};
ZR_Rts_Win32 *real_driver = nullptr;

// Inputs point at one of the eight input buffers (right one sample after
// left), outputs at one of the eight output buffers.
void checking_callback()
{
    const ZR_Rts_Win32 &d = *real_driver;
    char *left = static_cast<char *>(ZR_Rts::chan_at(d.inputs, 0)->data);
    char *right = static_cast<char *>(ZR_Rts::chan_at(d.inputs, 1)->data);
    char *out = static_cast<char *>(ZR_Rts::chan_at(d.outputs, 0)->data);
    bool in_ok = false, out_ok = false;
    for (int i = 0; i < ZR_Rts_Win32::BUFFERS; ++i) {
        in_ok |= left == d.in_buffers[i];
        out_ok |= out == d.out_buffers[i];
    }
    if (!in_ok || !out_ok || right != left + d.current_mode->bits / 8)
        real_bad = true;
    ++real_blocks;
}

TEST(WaveWine, NullDeviceStreamsAndFreeReturnsOk)
{
    ZR_Rts_Win32::block_callback = checking_callback;
    ZR_Rts_Win32 driver;
    real_driver = &driver;
    ASSERT_EQ(driver.init(), ZR_OK);
    ZR_Rts::Mode *m = nullptr;
    std::string offered;
    for (int i = 0; ZR_Rts::Mode *mode = ZR_Rts::mode_at(driver.modes, i); ++i) {
        offered += std::string(mode->text) + "\n";
        if (std::string(mode->text) == " 48.0 kHz, 16 bit, stereo")
            m = mode;
    }
    ASSERT_NE(m, nullptr) << "offered:\n"
                          << offered << "(no modes: is ALSA_CONFIG_PATH set to the null PCM?)";
    for (int round = 0; round < 2; ++round) {
        real_blocks = 0;
        ASSERT_EQ(driver.mode(m), ZR_OK) << m->text;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (real_blocks < 20 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_GE(real_blocks.load(), 20);
        EXPECT_EQ(driver.free(), ZR_OK);
        EXPECT_FALSE(real_bad.load());
        EXPECT_EQ(driver.blocks(), real_blocks.load());
    }
    EXPECT_EQ(driver.done(), ZR_OK);
    ZR_Rts_Win32::block_callback = nullptr;
}

} // namespace
