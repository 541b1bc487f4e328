// copyBuffer against a plain per-sample model, for every pair of the layouts
// the drivers produce, plus the conversion's documented edge cases.
#include "ZR/Rts/ZR_Rts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct Format {
    const char *what;
    uint32_t word;
};

// ALSA blocks (stereo in, 2 and 4 out; 16, 24 packed, 32 bit), JACK and the
// host's floats, and the ASIO sample types.
const Format FORMATS[] = {
    {"int8 packed", 0x000801},          {"int16 stereo", 0x001004},
    {"int16 quadro", 0x001008},         {"int24 stereo", 0x001806},
    {"int24 quadro", 0x00180C},         {"int32 stereo", 0x002008},
    {"int32 quadro", 0x002010},         {"float32", 0x1002004},
    {"asio int16", 0x001002},           {"asio int24", 0x001803},
    {"asio int32", 0x002004},           {"asio float64", 0x1004008},
    {"asio 16 in 4", 0x101004},         {"asio 18 in 4", 0x0E1204},
    {"asio 20 in 4", 0x0C1404},         {"asio 24 in 4", 0x081804},
    {"float32 interleaved", 0x1002008},
};

struct Decoded {
    unsigned stride, valid, bytes;
    bool is_float, is_double;
};

Decoded decoded(uint32_t w)
{
    Decoded d;
    d.stride = w % 256;
    d.valid = (w / 256) % 256;
    d.bytes = (d.valid + (w / 65536) % 256) / 8;
    d.is_float = w / 16777216 != 0;
    d.is_double = d.is_float && d.valid == 64;
    if (d.is_float)
        d.bytes = d.is_double ? 8 : 4;
    return d;
}

double clipped(double x)
{
    if (std::isnan(x))
        return 0.0;
    return std::fmin(1.0, std::fmax(-1.0, x));
}

// One sample in the model: the left-aligned integer a and the float x.
struct Sample {
    int64_t a;
    double x;
};

Sample model_read(const Decoded &f, const unsigned char *p)
{
    if (f.is_float) {
        double x;
        if (f.is_double) {
            std::memcpy(&x, p, 8);
        }
        else {
            float v;
            std::memcpy(&v, p, 4);
            x = v;
        }
        x = clipped(x);
        return {(int64_t)std::trunc(x * 2147483647.0), x};
    }
    int64_t v = 0;
    for (unsigned i = 0; i < f.bytes; ++i)
        v += (int64_t)p[i] << (8 * i);
    const int64_t range = (int64_t)1 << (8 * f.bytes);
    if (v >= range / 2)
        v -= range;
    // Left-align in 32 bits, wrapping what does not fit (bits above valid).
    int64_t a = (v * ((int64_t)1 << (32 - f.valid))) % ((int64_t)1 << 32);
    if (a >= (int64_t)1 << 31)
        a -= (int64_t)1 << 32;
    if (a < -((int64_t)1 << 31))
        a += (int64_t)1 << 32;
    return {a, clipped((double)a / 2147483647.0)};
}

void model_write(const Decoded &f, unsigned char *p, const Sample &s)
{
    if (f.is_double) {
        std::memcpy(p, &s.x, 8);
        return;
    }
    if (f.is_float) {
        float v = (float)s.x;
        std::memcpy(p, &v, 4);
        return;
    }
    // Narrowing truncates toward minus infinity.
    const double step = std::ldexp(1.0, 32 - (int)f.valid);
    int64_t v = (int64_t)std::floor((double)s.a / step);
    for (unsigned i = 0; i < f.bytes; ++i)
        p[i] = (unsigned char)(((uint64_t)v >> (8 * i)) & 0xFF);
}

void fill_source(const Decoded &f, std::vector<unsigned char> &mem, int count, std::mt19937 &rng)
{
    static const float SPECIAL[] = {1.0f, -1.0f, 0.0f,     -0.0f, 1.5f,  -7.0f,
                                    NAN,  1e-9f, INFINITY, 0.5f,  0.25f, -0.75f};
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_real_distribution<double> wide(-1.3, 1.3);
    for (auto &b : mem)
        b = (unsigned char)byte(rng);
    if (!f.is_float)
        return;
    for (int i = 0; i < count; ++i) {
        double x = i < 12 ? SPECIAL[i] : wide(rng);
        unsigned char *p = mem.data() + (size_t)i * f.stride;
        if (f.is_double) {
            std::memcpy(p, &x, 8);
        }
        else {
            float v = (float)x;
            std::memcpy(p, &v, 4);
        }
    }
}

class CopyBuffer : public ::testing::Test {
protected:
    void SetUp() override { ZR_Rts::clear_refusal(); }
    void TearDown() override { ZR_Rts::clear_refusal(); }
};

TEST_F(CopyBuffer, EveryPairOfFormatsMatchesThePerSampleModel)
{
    std::mt19937 rng(1234);
    const int count = 301;
    for (const Format &from : FORMATS) {
        for (const Format &to : FORMATS) {
            SCOPED_TRACE(std::string(from.what) + " -> " + to.what);
            Decoded sf = decoded(from.word), df = decoded(to.word);
            std::vector<unsigned char> src((size_t)count * sf.stride + 8);
            std::vector<unsigned char> dst((size_t)count * df.stride + 8, 0xA5);
            fill_source(sf, src, count, rng);
            std::vector<unsigned char> expected = dst;
            for (int i = 0; i < count; ++i)
                model_write(df, expected.data() + (size_t)i * df.stride,
                            model_read(sf, src.data() + (size_t)i * sf.stride));

            ZR_Rts::Chan s("s", from.word, count), d("d", to.word, count);
            s.data = src.data();
            d.data = dst.data();
            ASSERT_EQ(ZR_Rts::copyBuffer(&d, &s), ZR_OK);
            // Bytes between one channel's samples (other channels) stay untouched.
            ASSERT_EQ(dst, expected);
        }
    }
}

template <class T>
T copied(uint32_t to, const void *from_data, uint32_t from)
{
    T out{};
    std::memset(&out, 0x5A, sizeof out);
    ZR_Rts::Chan s("s", from, 1), d("d", to, 1);
    s.data = const_cast<void *>(from_data);
    d.data = &out;
    EXPECT_EQ(ZR_Rts::copyBuffer(&d, &s), ZR_OK);
    return out;
}

TEST_F(CopyBuffer, DocumentedEdgeCases)
{
    const int16_t half = 0x4000;
    EXPECT_EQ(copied<float>(0x1002004, &half, 0x1002), (float)(0.5 * 2147483648.0 / 2147483647.0));
    struct Packed24 {
        unsigned char b[3];
    } i24 = copied<Packed24>(0x1803, &half, 0x1002);
    EXPECT_EQ(i24.b[0] | i24.b[1] << 8 | i24.b[2] << 16, 0x400000);

    const float loud = 1.5f, full_negative = -1.0f;
    EXPECT_EQ(copied<int16_t>(0x1002, &loud, 0x1002004), 32767);
    EXPECT_EQ(copied<int16_t>(0x1002, &full_negative, 0x1002004), -32768);

    const unsigned char plus128[3] = {0x80, 0x00, 0x00}, most_negative[3] = {0x00, 0x00, 0x80};
    EXPECT_EQ(copied<int32_t>(0x2004, plus128, 0x1803), 128 << 8);
    EXPECT_EQ(copied<int32_t>(0x2004, most_negative, 0x1803), INT32_MIN);

    // 16 valid bits in 4 bytes: the upper half is ignored, then sign-filled.
    const uint32_t noisy = 0xABCD8001;
    EXPECT_EQ(copied<int16_t>(0x1002, &noisy, 0x101004), (int16_t)0x8001);
    const int16_t negative = -2;
    EXPECT_EQ(copied<uint32_t>(0x101004, &negative, 0x1002), 0xFFFFFFFEu);

    const float over[1] = {-3.0f};
    EXPECT_EQ(copied<float>(0x1002004, over, 0x1002004), -1.0f);
    const int32_t lowest = INT32_MIN;
    EXPECT_EQ(copied<float>(0x1002004, &lowest, 0x2004), -1.0f);
    const float nan = NAN;
    EXPECT_EQ(copied<int32_t>(0x2004, &nan, 0x1002004), 0);
}

TEST_F(CopyBuffer, CountMismatchLatchesUntilCleared)
{
    float a[4] = {0.5f, 0.5f, 0.5f, 0.5f}, b[4] = {};
    ZR_Rts::Chan four("a", 0x1002004, 4), three("b", 0x1002004, 3), other("c", 0x1002004, 4);
    four.data = a;
    three.data = b;
    other.data = b;
    EXPECT_EQ(ZR_Rts::copyBuffer(&three, &four), nullptr);
    EXPECT_TRUE(ZR_Rts::refusing());
    EXPECT_EQ(ZR_Rts::copyBuffer(&other, &four), nullptr);
    EXPECT_EQ(b[0], 0.0f);
    ZR_Rts::clear_refusal();
    EXPECT_EQ(ZR_Rts::copyBuffer(&other, &four), ZR_OK);
    EXPECT_EQ(b[3], 0.5f);
}

TEST_F(CopyBuffer, FormatsWithoutARuleAreRefusedWithoutTouchingMemory)
{
    unsigned char src[64] = {1, 2, 3}, dst[64];
    std::memset(dst, 0x77, sizeof dst);
    // 64-bit integer containers, zero valid bits, a null buffer.
    const uint32_t bad[] = {0x004008, 0x000002, 0x003008};
    for (uint32_t w : bad) {
        ZR_Rts::Chan s("s", 0x1002, 2), d("d", w, 2);
        s.data = src;
        d.data = dst;
        EXPECT_EQ(ZR_Rts::copyBuffer(&d, &s), nullptr) << std::hex << w;
        EXPECT_EQ(ZR_Rts::copyBuffer(&s, &d), nullptr) << std::hex << w;
    }
    EXPECT_FALSE(ZR_Rts::refusing());
    ZR_Rts::Chan s("s", 0x1002, 2), d("d", 0x1002, 2);
    s.data = src;
    EXPECT_EQ(ZR_Rts::copyBuffer(&d, &s), nullptr);
    for (unsigned char b : dst)
        ASSERT_EQ(b, 0x77);
}

} // namespace
