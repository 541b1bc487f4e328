// Every option of every toolbox class given values of every unexpected kind,
// each followed by a processed block with odd buffers and clocks: nothing
// may fault (the sanitizer build checks for undefined behaviour).
#include "ZR/core/ZR_object.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

const char *const kClasses[] = {
    "ZR_Effect_Zero",   "ZR_Effect_Lgd",    "ZR_Effect_Freqmul",    "ZR_Effect_Nefreqmul",
    "ZR_Effect_Gtzero", "ZR_Effect_Ltzero", "ZR_Effect_Ampdet",     "ZR_Effect_Oper",
    "ZR_Effect_Koef",   "ZR_Effect_Dist",   "ZR_Effect_Deline",     "ZR_Effect_Oversam",
    "ZR_Effect_Shift",  "ZR_Effect_Nshift", "ZR_Fourier_Transform", "ZR_Fourier_Noisegate",
    "ZR_Gener_White",   "ZR_Gener_Exp",
};

const ZR_option *table_of(const char *name)
{
    for (const ZR_class *c = _ZR; c->name; ++c)
        if (std::strcmp(c->name, name) == 0)
            return c->options;
    return nullptr;
}

std::vector<ZR_value> hostile_values(ZR_Soundpipe *pipe, const std::vector<ZR_Buffer *> &buffers)
{
    static int32_t bytes = 7;
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<ZR_value> v = {
        ZR_EMPTY,
        ZR_value::of_int(-1),
        ZR_value::of_int(INT32_MAX),
        ZR_value::of_int(INT32_MIN),
        ZR_value::of_int(0),
        ZR_value::of_float(std::nanf("")),
        ZR_value::of_float(inf),
        ZR_value::of_float(-inf),
        ZR_value::of_float(1e30f),
        ZR_value::of_float(-0.5f),
        ZR_value::of_float(3.0f),
        ZR_value::of_text("junk"),
        ZR_value::of_text(nullptr),
        ZR_value::of_object(pipe),
        ZR_value::of_object(nullptr),
        ZR_value::of_bytes(&bytes, 4),
        ZR_value(ZR_TYPE_NONE, -1),
    };
    for (ZR_Buffer *b : buffers)
        v.push_back(ZR_value::of_object(b));
    return v;
}

} // namespace

TEST(ToolboxHostile, EveryOptionTakesEveryKindOfValue)
{
    for (const char *name : kClasses) {
        SCOPED_TRACE(name);
        const ZR_option *table = table_of(name);
        ASSERT_NE(table, nullptr);
        ToolboxGraph g(64);
        std::vector<ZR_Buffer *> buffers = {g.buffer(),  g.buffer(),  g.buffer(1),
                                            g.buffer(7), g.buffer(0), g.buffer(4096)};
        for (ZR_Buffer *b : buffers)
            for (int32_t i = 0; i < b->length; ++i)
                b->data[i] = (i % 3 == 0) ? INT32_MIN : (i % 3 == 1 ? INT32_MAX : -i * 997);
        ZR_Effect *e = nullptr;
        ASSERT_EQ(spcpp(name, &e), ZR_OK);
        g.keep(e);
        std::vector<ZR_value> values = hostile_values(g.pipe, buffers);
        for (const int32_t fs : {44100, 0, -44100, INT32_MAX, INT32_MIN, 48000}) {
            ZR_Effect::m_clock(e, ZR_value::of_int(fs));
            for (const ZR_option *t = table; t;) {
                const ZR_option *o = t + 1;
                for (; o->name; ++o) {
                    if (std::strcmp(o->name, "delete") == 0)
                        continue;
                    for (const ZR_value &v : values) {
                        o->handler(e, v);
                        g.run();
                    }
                }
                t = o->parent;
            }
            // Give the buffer options a real buffer again and run.
            for (const ZR_option *o = table + 1; o->name; ++o)
                for (const char *buffer_option : {"i", "o", "i1", "i2", "a", "s"})
                    if (std::strcmp(o->name, buffer_option) == 0)
                        o->handler(e, ZR_value::of_object(buffers[0]));
            g.run(3);
        }
    }
}

TEST(ToolboxHostile, DeletingEffectsThatOwnPartsInAnyOrder)
{
    ToolboxGraph g(64);
    ZR_Buffer *sig = g.buffer();
    ZR_Effect *ft, *ng, *d;
    ZR_Buffer *spectrum, *out, *noise;
    spcpp("ZR_Fourier_Transform -i %o -s 6 -w", &ft, sig, &spectrum);
    spcpp("ZR_Fourier_Noisegate -i %o -s %o -o1", &ng, spectrum, sig, &out);
    spcpp("%o -w", ng, &noise);
    spcpp("ZR_Effect_Deline -i %o", &d, sig);
    spcpp("%o -g -go %o", d, (void *)nullptr, sig);
    spcpp("%o -d -dt 3 -da 0.5", d, (void *)nullptr);
    g.run(3);
    // The gate goes first, with its parts; the transform then frees the
    // spectrum the gate used; the delay frees its groups and taps.
    spcpp("%o -delete", ng);
    spcpp("%o -delete", ft);
    g.run(2);
    spcpp("%o -delete", d);
    g.effects.clear();
    g.run();
    EXPECT_EQ(g.pipe->effects.count, 0);
}
