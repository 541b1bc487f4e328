// The test host's plumbing and test signals.
#include "plugin_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

std::atomic<intptr_t> TestHost::version_answer{2400};
std::atomic<int> TestHost::size_window_calls{0};

intptr_t TestHost::callback(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return version_answer;
    case audioMasterSizeWindow:
        ++size_window_calls;
        return 1;
    default:
        return 0;
    }
}

Plugin::Plugin()
{
    e = VSTPluginMain(&TestHost::callback);
    EXPECT_NE(e, nullptr);
}

Plugin::~Plugin()
{
    close();
}

void Plugin::close()
{
    if (e)
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    e = nullptr;
}

intptr_t Plugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void *ptr, float opt)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

void Plugin::start(float rate, int32_t block)
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, block);
    dispatch(effMainsChanged, 0, 1);
}

std::string Plugin::text(int32_t opcode, int32_t index, size_t size)
{
    std::vector<char> buffer(size + 8, '#');
    dispatch(opcode, index, 0, buffer.data());
    for (size_t i = size; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "written past " << size << " bytes";
    EXPECT_NE(std::memchr(buffer.data(), 0, size), nullptr);
    return std::string(buffer.data());
}

std::vector<float> Plugin::process(const float *in, int32_t frames)
{
    std::vector<float> input(in, in + frames);
    std::vector<float> out0(frames, 99.0f), out1(frames, -99.0f);
    float *ins[] = {input.data()};
    float *outs[] = {out0.data(), out1.data()};
    e->processReplacing(e, ins, outs, frames);
    for (int32_t i = 0; i < frames; ++i)
        if (std::memcmp(&out0[i], &out1[i], sizeof(float)) != 0)
            channels_equal = false;
    return out0;
}

std::vector<float> Plugin::run(const std::vector<float> &in, const std::vector<int32_t> &blocks)
{
    std::vector<float> out;
    out.reserve(in.size());
    size_t pos = 0;
    for (size_t b = 0; pos < in.size(); ++b) {
        size_t n = std::min<size_t>((size_t)blocks[b % blocks.size()], in.size() - pos);
        std::vector<float> part = process(in.data() + pos, (int32_t)n);
        out.insert(out.end(), part.begin(), part.end());
        pos += n;
    }
    return out;
}

std::vector<float> sine(size_t n, double hz, double rate, double amplitude)
{
    std::vector<float> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = (float)(amplitude * std::sin(2 * M_PI * hz * i / rate));
    return s;
}

std::vector<float> noise(size_t n, double amplitude, uint32_t seed)
{
    std::vector<float> s(n);
    uint32_t x = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = (float)(amplitude * ((double)x / 2147483648.0 - 1.0));
    }
    return s;
}

std::vector<float> square(size_t n, double hz, double rate, double amplitude)
{
    std::vector<float> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = (float)(std::fmod(i * hz / rate, 1.0) < 0.5 ? amplitude : -amplitude);
    return s;
}
