// Shared pieces of the pipe and effect tests: a small probe effect that counts
// its calls, and helpers to build, fill and read graphs through commands.
#pragma once
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pipetest {

// Writes y = in[i] + offset into its output in its mode; counts every call.
// Not in the class table: tests create it directly and address it through
// the ZR_Effect options.
class ProbeEffect : public ZR_Effect {
public:
    ZR_Buffer *in = nullptr;
    ZR_Buffer *out = nullptr;
    int32_t offset = 0;
    bool refuse_prepare = false;
    int processed = 0;
    int resets = 0;
    int prepares = 0;
    int clock_changes = 0;
    std::vector<int> *trace = nullptr; // receives id on every process
    int id = 0;

    ProbeEffect(ZR_Buffer *input = nullptr, ZR_Buffer *output = nullptr, int32_t k = 0)
        : in(input), out(output), offset(k)
    {
    }

    void process() override
    {
        ++processed;
        if (trace)
            trace->push_back(id);
        int32_t *src = samples(in);
        int32_t *dst = samples(out);
        int32_t n = in ? in->effective_length() : 0;
        if (src && dst && n > 0)
            kernel_addk[mode_index()](src, dst, n, offset);
    }
    void prepare() override
    {
        ++prepares;
        if (!refuse_prepare)
            ZR_Effect::prepare();
    }
    void reset() override { ++resets; }
    void clockChanged() override { ++clock_changes; }
};

// Creates a pipe with the given block length the way the application does;
// it is current afterwards.
inline ZR_Soundpipe *make_pipe(int block_length)
{
    ZR_Soundpipe *pipe = nullptr;
    int began = -1;
    EXPECT_EQ(ZR_OK, spcpp("ZR_Soundpipe -bl %i -b", &pipe, block_length, &began));
    EXPECT_EQ(0, began);
    return pipe;
}

inline ZR_Buffer *make_buffer(const char *name = "buf")
{
    ZR_Buffer *b = nullptr;
    EXPECT_EQ(ZR_OK, spcpp("ZR_Buffer -t %s", &b, name));
    return b;
}

inline int32_t query_int(const char *command, void *object)
{
    int32_t r = -12345;
    EXPECT_EQ(ZR_OK, spcpp(command, object, &r));
    return r;
}

// "%o -e" on the current pipe: it stops being current.
inline void end_pipe(ZR_Soundpipe *pipe)
{
    EXPECT_EQ(1, query_int("%o -e", pipe));
}

inline void destroy(void *object)
{
    if (object) {
        EXPECT_EQ(ZR_OK, spcpp("%o -delete", object));
    }
}

// Deletes the objects in the order given: members before their pipe.
template <class... Objects>
void destroy_all(Objects *...objects)
{
    (destroy(objects), ...);
}

inline void fill(ZR_Buffer *b, const std::vector<int32_t> &v)
{
    ASSERT_GE(b->length, (int32_t)v.size());
    for (size_t i = 0; i < v.size(); ++i)
        b->data[i] = v[i];
}

inline std::vector<int32_t> read(const ZR_Buffer *b)
{
    return std::vector<int32_t>(b->data, b->data + b->effective_length());
}

inline void set_on(ZR_Effect *e, int on)
{
    EXPECT_EQ(ZR_OK, spcpp("ZR_Effect %o -on %i", e, on));
}

// Every test starts and ends without a current pipe.
class PipeTest : public ::testing::Test {
protected:
    void SetUp() override { ZR_Soundpipe::current = nullptr; }
    void TearDown() override { EXPECT_EQ(nullptr, ZR_Soundpipe::current); }
};

} // namespace pipetest
