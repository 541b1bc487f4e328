// Arbitrary bytes as one command, run with a result text of varying capacity
// and no arguments over the test classes; every test object is deleted after
// each input so the leak checker sees nothing.
#include "ZR/core/ZR_spcpp.h"
#include "tests/support/test_classes.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    spcpp_set_extra_classes(T_classes);
    // Diagnostics would flood the fuzzer's output.
    if (!std::freopen("/dev/null", "w", stdout))
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks the capacity; the rest is the command.
    static const int capacities[] = {0, 1, 2, 3, 7, 16, 64, 256, 4096};
    int capacity = 0;
    if (size > 0) {
        capacity = capacities[data[0] % (sizeof capacities / sizeof capacities[0])];
        ++data;
        --size;
    }
    std::vector<char> command(data, data + size);
    command.push_back(0);
    const std::vector<char> original = command;

    // The result area sits between guards that must stay untouched.
    constexpr int guard = 32;
    std::vector<char> area((size_t)capacity + 2 * guard, 0x5A);
    int cap = capacity;
    ZR_status status =
        spcpp_exec(SPCPP_RESULT_TEXT, command.data(), area.data() + guard, &cap, nullptr);

    for (int i = 0; i < guard; ++i)
        if (area[(size_t)i] != 0x5A || area[(size_t)(guard + capacity + i)] != 0x5A)
            __builtin_trap();
    if (command != original)
        __builtin_trap();
    if (status == ZR_OK && (cap < 0 || cap > capacity))
        __builtin_trap();
    if (status != ZR_OK && status != ZR_ERROR_COMMAND_NOT_FOUND &&
        status != ZR_ERROR_COMMAND_NOT_PARAM && status != ZR_ERROR_COMMAND_NOT_SPACE)
        __builtin_trap();

    T_Base::delete_all();
    return 0;
}
