// The live host on the test ASIO driver: two channels on two device inputs,
// and the sum the driver plays compared sample by sample with two instances
// of the plug-in run directly on the inputs it fed.
#include "host/live_host.h"
#include "tests/rts_win/driver/test_asio_registry.h"

#include "ZR/Rts/ZR_Rts_Asio.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "vst/vst_entry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

intptr_t VEMO_VSTCALL quiet_host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

float clip(float x)
{
    return x > 1.0f ? 1.0f : x < -1.0f ? -1.0f : x;
}

TEST(LiveHostAsio, TwoChannelsSumSampleExactOnTheDriversFirstTwoOutputs)
{
    test_asio::ResetFunc reset = nullptr;
    test_asio::State *state = test_asio::driver_state(&reset);
    ASSERT_NE(state, nullptr) << test_asio::dll_path();
    ASSERT_TRUE(test_asio::register_drivers(test_asio::REGISTRATIONS, 1));
    reset();
    // Both channels are in place before the first block.
    state->hold = true;
    ZR_headless_reset_message_boxes();
    {
        LiveHost host(&VSTPluginMain,
                      {{&ZR_Rts_Asio::classInit, &ZR_Rts_Asio::class_cleanup, nullptr}}, nullptr);
        host.start();
        ASSERT_EQ(ZR_headless_last_message_box().count, 0) << ZR_headless_last_message_box().text;
        ASSERT_NE(host.current_mode(), nullptr);
        EXPECT_EQ(host.current_mode()->rate, 48000);
        ASSERT_TRUE(host.command(HOST_CMD_ADD));
        ASSERT_EQ(host.channel_count(), 2);
        EXPECT_STREQ(host.channel_text(0), "1. In 1");
        EXPECT_STREQ(host.channel_text(1), "2. In 2");
        state->hold = false;

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (state->frames_recorded.load(std::memory_order_acquire) < test_asio::RECORD_FRAMES &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(state->frames_recorded.load(std::memory_order_acquire), test_asio::RECORD_FRAMES);
        host.shutdown();
        EXPECT_EQ(host.skipped_blocks(), 0);
    }

    // The same input through two instances created and run as a plain host
    // would, in the driver's 64-frame blocks. Inputs arrive as floats.
    const int frames = 64;
    AEffect *ref[2] = {VSTPluginMain(&quiet_host), VSTPluginMain(&quiet_host)};
    for (AEffect *e : ref)
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    std::vector<float> in(frames), left(frames), right(frames);
    int wrong = 0;
    for (int start = 0; start < test_asio::RECORD_FRAMES; start += frames) {
        std::vector<float> sum_l(frames, 0.0f), sum_r(frames, 0.0f);
        for (int k = 0; k < 2; ++k) {
            for (int t = 0; t < frames; ++t)
                in[t] = (float)state->input[k][start + t];
            float *ins[1] = {in.data()};
            float *outs[2] = {left.data(), right.data()};
            ref[k]->processReplacing(ref[k], ins, outs, frames);
            for (int t = 0; t < frames; ++t) {
                sum_l[t] += left[t];
                sum_r[t] += right[t];
            }
        }
        for (int t = 0; t < frames; ++t) {
            // Output 1 takes doubles, output 2 32-bit integers.
            const double want_l = clip(sum_l[t]);
            const double want_r = std::trunc((double)clip(sum_r[t]) * 2147483647.0) / 2147483647.0;
            if ((state->output[0][start + t] != want_l || state->output[1][start + t] != want_r) &&
                wrong++ < 5)
                ADD_FAILURE() << "frame " << start + t << ": " << state->output[0][start + t]
                              << ", " << state->output[1][start + t] << " instead of " << want_l
                              << ", " << want_r;
        }
    }
    EXPECT_EQ(wrong, 0);
    // Not silence: the comparison means something.
    double energy = 0;
    for (int t = 0; t < test_asio::RECORD_FRAMES; ++t)
        energy += state->output[0][t] * state->output[0][t];
    EXPECT_GT(energy, 1.0);
    for (AEffect *e : ref)
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
