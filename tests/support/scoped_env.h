// An environment variable set (or removed) for one scope, restored after it.
#pragma once

#include <cstdlib>
#include <string>

// Sets name to value, or removes it for null (env_Linux.cpp, env_Win32.cpp).
void test_set_env(const char *name, const char *value);

class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        test_set_env(name, value);
    }
    ~ScopedEnv() { test_set_env(name_.c_str(), had_ ? old_.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};
