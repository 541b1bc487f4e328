// Set and query commands issued from several threads at once, each thread on
// its own object, while another thread creates and deletes objects directly.
#include "spcpp_fixture.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using SpcppConcurrency = Spcpp;

TEST_F(SpcppConcurrency, ThreadsSetAndQueryTheirOwnObjects)
{
    constexpr int threads = 4, rounds = 2000;
    std::vector<T_Item *> items;
    for (int t = 0; t < threads; ++t)
        items.push_back(new_item());
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};

    // Objects come and go in the registry while the others look objects up.
    std::thread churn([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            ZR_Object *o = new ZR_Object();
            delete o;
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            T_Item *item = items[(size_t)t];
            char command[64];
            std::snprintf(command, sizeof command, "ZR_Object 0x%llX",
                          (unsigned long long)(uintptr_t)item);
            for (int r = 0; r < rounds; ++r) {
                int l = -1;
                float f = -1;
                if (spcpp("%o -l %i -f %f -l -f", item, r, r * 0.5, &l, &f) != ZR_OK || l != r ||
                    f != r * 0.5f)
                    failures++;
                // A typed reference checks the registry.
                char area[8];
                int capacity = sizeof area;
                if (spcpp_exec(SPCPP_RESULT_TEXT, command, area, &capacity, nullptr) != ZR_OK)
                    failures++;
            }
        });
    }
    for (auto &w : workers)
        w.join();
    stop = true;
    churn.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
