// Shared set-up for interpreter tests: the test classes are registered, every
// test object is deleted afterwards, and helpers run commands with a result
// text or capture what the interpreter prints.
#pragma once
#include "ZR/core/ZR_spcpp.h"
#include "tests/support/test_classes.h"

#include <gtest/gtest.h>

#include <string>

class Spcpp : public ::testing::Test {
protected:
    void SetUp() override
    {
        spcpp_set_extra_classes(T_classes);
        T_Item::seen_calls = 0;
        T_Item::own_deletes = 0;
    }
    void TearDown() override
    {
        T_Base::delete_all();
        spcpp_set_extra_classes(nullptr);
    }

    // Runs command with the result-text flag and no arguments.
    ZR_status text_of(const char *command, std::string *text, int capacity = 256)
    {
        std::string buffer((size_t)capacity, '?');
        int cap = capacity;
        ZR_status status = spcpp_exec(SPCPP_RESULT_TEXT, command, &buffer[0], &cap, nullptr);
        *text = status == ZR_OK ? buffer.substr(0, (size_t)cap) : std::string();
        return status;
    }

    // Runs command through spcpp with the given arguments (without any, with
    // no out-parameters at all) and returns what it printed on standard output.
    template <class... Args>
    std::string printed(ZR_status *status, const char *command, Args... args)
    {
        testing::internal::CaptureStdout();
        if (sizeof...(args) == 0)
            *status = spcpp_exec(0, command, nullptr, nullptr, nullptr);
        else
            *status = spcpp(command, args...);
        return testing::internal::GetCapturedStdout();
    }
};

// The T_Item created by "T_Item" through the out-parameter.
inline T_Item *new_item()
{
    T_Item *item = nullptr;
    EXPECT_EQ(spcpp("T_Item", &item), ZR_OK);
    return item;
}
