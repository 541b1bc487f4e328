// Threads as hosts use them: parameters and texts from one thread while
// another processes, and instances created and destroyed on several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin_host.h"

namespace {

TEST(PluginConcurrency, ParametersChangeWhileAnotherThreadProcesses)
{
    Plugin p;
    p.start(48000.0f);
    AEffect *e = p.e;
    std::atomic<bool> stop{false};
    std::atomic<bool> bad{false};

    std::thread audio([&] {
        std::vector<float> in = noise(4096, 0.5, 8), out0(4096), out1(4096);
        float *ins[] = {in.data()};
        float *outs[] = {out0.data(), out1.data()};
        int32_t sizes[] = {1, 64, 512, 700, 4096};
        for (int i = 0; !stop.load(std::memory_order_relaxed) || i < 200; ++i) {
            int32_t n = sizes[i % 5];
            e->processReplacing(e, ins, outs, n);
            for (int32_t j = 0; j < n; ++j)
                if (!(std::fabs(out0[j]) <= 2.0f))
                    bad = true;
        }
    });
    std::thread reader([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            float f = e->getParameter(e, 1);
            if (!(f >= 0.0f && f <= 1.0f))
                bad = true;
            (void)e->getParameter(e, 0);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        e->setParameter(e, 1, (float)((i * 37) % 101) / 100.0f);
        if (i % 50 == 0)
            e->setParameter(e, 0, (i / 50) % 2 ? 0.0f : 1.0f);
    }
    stop = true;
    audio.join();
    reader.join();
    EXPECT_FALSE(bad.load());
}

TEST(PluginConcurrency, InstancesCreatedAndDestroyedOnSeveralThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> created{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::vector<float> in = noise(600, 0.5, (uint32_t)t + 1), out0(600), out1(600);
            float *ins[] = {in.data()};
            float *outs[] = {out0.data(), out1.data()};
            for (int i = 0; i < 15; ++i) {
                AEffect *e = VSTPluginMain(&TestHost::callback);
                if (!e)
                    continue;
                ++created;
                e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
                e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f + 100.0f * t);
                e->setParameter(e, 1, 0.1f * (float)i);
                e->processReplacing(e, ins, outs, 600);
                e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(created.load(), 60);
}

} // namespace
