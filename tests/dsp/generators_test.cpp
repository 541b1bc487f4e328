// White noise range and the exponential envelope's curve and restart.
#include "ZR/dsp/effects/ZR_Gener.h"
#include "dsp/toolbox_graph.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Generators, ExpHoldsThenDecaysByEPerTimeConstant)
{
    ToolboxGraph g(250);
    ZR_Buffer *out = g.buffer();
    ZR_Gener_Exp *e =
        g.effect<ZR_Gener_Exp>("ZR_Gener_Exp -beg 0.5 -time 0.5 -o %o -mode sub", out);
    g.clock(1000);
    std::vector<int32_t> y;
    for (int b = 0; b < 5; ++b) {
        g.run();
        y.insert(y.end(), out->data, out->data + 250);
    }
    for (int i = 0; i <= 500; ++i)
        ASSERT_EQ(y[i], 33554432) << i;
    EXPECT_LT(y[501], 33554432);
    EXPECT_EQ(y[1000], 12343985);
    e->restart();
    g.run();
    EXPECT_EQ(out->data[0], 33554432);
}

TEST(Generators, ExpWithoutClockOrTimeEndsAtZero)
{
    ToolboxGraph g(4);
    ZR_Buffer *out = g.buffer();
    ZR_Gener_Exp *e = g.effect<ZR_Gener_Exp>("ZR_Gener_Exp -o %o -time 0", out);
    g.run();
    EXPECT_EQ(out->data[0], 33554432);
    EXPECT_EQ(out->data[1], 0);
    spcpp("%o -time -0.0001", e); // a growing curve saturates instead of overflowing
    g.clock(1000);
    g.run();
    EXPECT_EQ(out->data[3], INT32_MAX);
}

TEST(Generators, WhiteNoiseIsOnTheFullScaleGrid)
{
    ToolboxGraph g(4096);
    ZR_Buffer *out = g.buffer();
    g.effect<ZR_Gener_White>("ZR_Gener_White -o %o", out);
    g.run();
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int i = 0; i < 4096; ++i) {
        const int64_t shifted = (int64_t)out->data[i] + 1073741824;
        ASSERT_EQ(shifted % 65536, 0);
        lo = std::min(lo, out->data[i]);
        hi = std::max(hi, out->data[i]);
    }
    EXPECT_GE(lo, -1073741824);
    EXPECT_LE(hi, 1073741824 - 65536);
    EXPECT_LT(lo, -1000000000);
    EXPECT_GT(hi, 1000000000);
}
