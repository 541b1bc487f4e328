// Filters and the copy effect driven through commands: coefficient rules,
// output modes and strides.
#include "filter_test_util.h"

#include "ZR/dsp/effects/ZR_Effect_Copy.h"

#include <cstring>
#include <string>

using namespace pipetest;
using namespace filtertest;

namespace {

constexpr int N = 512;

class Filters : public PipeTest {
protected:
    ZR_Soundpipe *pipe = nullptr;
    ZR_Buffer *in = nullptr;
    std::vector<ZR_Buffer *> outs;
    std::vector<ZR_Object *> effects;

    void SetUp() override
    {
        PipeTest::SetUp();
        pipe = make_pipe(N);
        in = make_buffer("in");
    }
    ZR_Buffer *out_buffer()
    {
        if (ZR_Soundpipe::current != pipe) {
            EXPECT_EQ(1, query_int("%o -b", pipe));
        }
        outs.push_back(make_buffer("out"));
        return outs.back();
    }
    template <class E>
    E *effect(const char *command, ZR_Buffer *input, ZR_Buffer *output)
    {
        if (ZR_Soundpipe::current != pipe) {
            EXPECT_EQ(1, query_int("%o -b", pipe));
        }
        E *e = nullptr;
        EXPECT_EQ(ZR_OK, spcpp(command, &e, input, output));
        EXPECT_NE(nullptr, e);
        effects.push_back(e);
        return e;
    }
    void feed(uint32_t seed)
    {
        if (ZR_Soundpipe::current == pipe)
            end_pipe(pipe);
        fill(in, test_signal(N, seed));
        pipe->process();
    }
    void TearDown() override
    {
        if (ZR_Soundpipe::current == pipe)
            end_pipe(pipe);
        for (auto it = effects.rbegin(); it != effects.rend(); ++it)
            destroy(*it);
        for (ZR_Buffer *b : outs)
            destroy(b);
        destroy(in);
        destroy(pipe);
        PipeTest::TearDown();
    }
};

TEST_F(Filters, OnePoleAlphaFromFrequencyAndClock)
{
    auto *lp = effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o", in, out_buffer());
    EXPECT_EQ(0u, lp->alpha.load());
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f", lp, 1000.0));
    EXPECT_EQ(0u, lp->alpha.load()); // no clock yet
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", lp, 44100));
    EXPECT_EQ(535616699u, lp->alpha.load());

    // The same value the other way round, and through the high-pass.
    auto *hp =
        effect<ZR_Effect_Hipass>("ZR_Effect_Hipass -i %o -o %o -clock 44100", in, out_buffer());
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f", hp, 1000.9));
    EXPECT_EQ(1000, query_int("%o -f", hp));
    EXPECT_EQ(535616699u, hp->alpha.load());

    // f 0 and clock 0 keep the coefficient in force.
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f", lp, 0.0));
    EXPECT_EQ(0, query_int("%o -f", lp));
    EXPECT_EQ(535616699u, lp->alpha.load());
    ASSERT_EQ(ZR_OK, spcpp("%o -f %i", lp, 1000));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", lp, 0));
    EXPECT_EQ(535616699u, lp->alpha.load());

    // alpha / 2^32 = 2 pi f / (2 pi f + fs).
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -clock %i", lp, 96000));
    for (int f : {20, 440, 9999, 40000}) {
        ASSERT_EQ(ZR_OK, spcpp("%o -f %i", lp, f));
        double expect = 2 * PI * f / (2 * PI * f + 96000) * 4294967296.0;
        EXPECT_NEAR(expect, (double)lp->alpha.load(), 1.0) << f;
    }
}

// Corner frequencies recovered from the coefficients: c1 - c2 = 1 / (g + h),
// c3 = g / (g + h), g = fs D / 2, h = fs^2 E.
void corners(const ZR_Effect_Bapass *bp, double fs, double *fa, double *fb)
{
    double sum = 1.0 / (bp->c1.load() - bp->c2.load());
    double g = bp->c3.load() * sum, h = sum - g;
    double D = 2 * g / fs, E = h / (fs * fs);
    double width = D / E, product = 1.0 / E; // wB - wA, wB * wA
    double wa = (-width + std::sqrt(width * width + 4 * product)) / 2;
    *fa = wa / (2 * PI);
    *fb = (wa + width) / (2 * PI);
}

TEST_F(Filters, BandPassCornersAndKeptCoefficients)
{
    auto *bp = effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o -q .618 -mode sub", in,
                                        out_buffer());
    float q = 0;
    ASSERT_EQ(ZR_OK, spcpp("%o -q", bp, &q));
    EXPECT_EQ(0.618f, q);
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f -clock %i", bp, 1000.0, 44100));
    double fa, fb;
    corners(bp, 44100, &fa, &fb);
    EXPECT_NEAR(618.0, fa, 0.05);
    EXPECT_NEAR(1618.1, fb, 0.05);
    EXPECT_EQ((int32_t)(bp->c1.load() * 1073741824.0), bp->k1.load());
    EXPECT_EQ((int32_t)(bp->c2.load() * 2147483648.0), bp->k2.load());
    EXPECT_EQ((int32_t)(bp->c3.load() * 2147483648.0), bp->k3.load());
    EXPECT_DOUBLE_EQ(2 * bp->c3.load(), bp->c2.load());

    const int32_t k1 = bp->k1, k2 = bp->k2, k3 = bp->k3;
    auto unchanged = [&](const char *what) {
        EXPECT_EQ(k1, bp->k1.load()) << what;
        EXPECT_EQ(k2, bp->k2.load()) << what;
        EXPECT_EQ(k3, bp->k3.load()) << what;
    };
    ASSERT_EQ(ZR_OK, spcpp("%o -q %i", bp, 1));
    unchanged("q 1");
    ASSERT_EQ(ZR_OK, spcpp("%o -q %f", bp, 0.0));
    unchanged("q 0");
    ASSERT_EQ(ZR_OK, spcpp("%o -q %f -f %f", bp, 0.618, 0.0));
    unchanged("f 0");
    ASSERT_EQ(ZR_OK, spcpp("%o -f %f -clock %i", bp, 1000.0, 0));
    unchanged("clock 0");

    // A new corner ratio takes effect at once; the centre stays geometric.
    ASSERT_EQ(ZR_OK, spcpp("%o -clock %i -q %f", bp, 48000, 0.5));
    corners(bp, 48000, &fa, &fb);
    EXPECT_NEAR(500.0, fa, 0.05);
    EXPECT_NEAR(2000.0, fb, 0.05);
}

TEST_F(Filters, NewFiltersAreSilentOrTransparent)
{
    ZR_Buffer *lo = out_buffer(), *hi = out_buffer(), *band = out_buffer();
    effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o", in, lo);
    effect<ZR_Effect_Hipass>("ZR_Effect_Hipass -i %o -o %o", in, hi);
    effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o", in, band);
    for (ZR_Buffer *b : {lo, band})
        fill(b, std::vector<int32_t>(N, 12345));
    feed(3);
    EXPECT_EQ(std::vector<int32_t>(N, 0), read(lo));
    EXPECT_EQ(read(in), read(hi));
    EXPECT_EQ(std::vector<int32_t>(N, 0), read(band));
}

TEST_F(Filters, SubtractingModesKeepTheStateOfSet)
{
    ZR_Buffer *set = out_buffer(), *sub = out_buffer(), *stn = out_buffer();
    std::vector<ZR_Effect_Bapass *> bps;
    std::vector<ZR_Effect_Lopass *> lps;
    ZR_Buffer *lset = out_buffer(), *lstn = out_buffer(), *lsbn = out_buffer();
    const char *modes[] = {"set", "sub", "stn"};
    ZR_Buffer *bands[] = {set, sub, stn};
    for (int m = 0; m < 3; ++m) {
        auto *bp = effect<ZR_Effect_Bapass>(
            "ZR_Effect_Bapass -i %o -o %o -q .618 -f 700 -clock 44100", in, bands[m]);
        ASSERT_EQ(ZR_OK, spcpp("%o -mode %s", bp, modes[m]));
        bps.push_back(bp);
    }
    const char *lmodes[] = {"set", "stn", "sbn"};
    ZR_Buffer *lows[] = {lset, lstn, lsbn};
    for (int m = 0; m < 3; ++m) {
        auto *lp = effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 44100 -f 700", in,
                                            lows[m]);
        ASSERT_EQ(ZR_OK, spcpp("%o -mode %s", lp, lmodes[m]));
        lps.push_back(lp);
    }
    for (uint32_t block = 0; block < 3; ++block) {
        std::vector<int32_t> base(N);
        for (int i = 0; i < N; ++i)
            base[i] = 1000 * i - 7;
        fill(sub, base);
        fill(lsbn, base);
        feed(10 + block);
        for (int i = 0; i < N; ++i) {
            ASSERT_EQ((int32_t)((uint32_t)base[i] - (uint32_t)set->data[i]), sub->data[i])
                << block << " " << i;
            ASSERT_EQ((int32_t)(0u - (uint32_t)set->data[i]), stn->data[i]) << block << " " << i;
            ASSERT_EQ((int32_t)(0u - (uint32_t)lset->data[i]), lstn->data[i]) << block << " " << i;
            ASSERT_EQ((int32_t)((uint32_t)lset->data[i] - (uint32_t)base[i]), lsbn->data[i])
                << block << " " << i;
        }
        for (ZR_Effect_Bapass *bp : bps) {
            EXPECT_EQ(bps[0]->y1, bp->y1);
            EXPECT_EQ(bps[0]->y2, bp->y2);
            EXPECT_EQ(bps[0]->x1, bp->x1);
        }
        for (ZR_Effect_Lopass *lp : lps)
            EXPECT_EQ(lps[0]->b, lp->b);
    }
    EXPECT_NE(0, bps[0]->y1);
}

TEST_F(Filters, HighPassIgnoresTheOutputMode)
{
    ZR_Buffer *plain = out_buffer(), *added = out_buffer();
    effect<ZR_Effect_Hipass>("ZR_Effect_Hipass -i %o -o %o -clock 48000 -f 300", in, plain);
    auto *hp = effect<ZR_Effect_Hipass>(
        "ZR_Effect_Hipass -i %o -o %o -clock 48000 -f 300 -mode add", in, added);
    const char *mode = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("%o -mode", hp, &mode));
    EXPECT_STREQ("add", mode);
    for (uint32_t block = 0; block < 3; ++block) {
        fill(added, std::vector<int32_t>(N, 0x1234567));
        feed(20 + block);
        EXPECT_EQ(read(plain), read(added));
    }
    // High-pass plus low-pass of the same corner give back the input.
    ZR_Buffer *sum = out_buffer();
    effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 48000 -f 300", in, sum);
    effect<ZR_Effect_Hipass>("ZR_Effect_Hipass -i %o -o %o -clock 48000 -f 300", in, added);
    effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o -mode add", added, sum);
    // Both start from zero state and move together: b + (x - b) = x.
    for (uint32_t block = 0; block < 3; ++block) {
        feed(30 + block);
        EXPECT_EQ(read(in), read(sum));
    }
}

TEST_F(Filters, FloatingSectionTracksTheFixedOne)
{
    ZR_Buffer *fixed = out_buffer(), *floating = out_buffer();
    auto *a = effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o -q .618 -f 900 -clock 44100",
                                       in, fixed);
    auto *b = effect<ZR_Effect_Bapass>(
        "ZR_Effect_Bapass -i %o -o %o -q .618 -f 900 -clock 44100 -a floating", in, floating);
    const char *kind = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("%o -a", a, &kind));
    EXPECT_STREQ("integer", kind);
    ASSERT_EQ(ZR_OK, spcpp("%o -a", b, &kind));
    EXPECT_STREQ("floating", kind);
    for (uint32_t block = 0; block < 4; ++block) {
        feed(40 + block);
        for (int i = 0; i < N; ++i)
            ASSERT_NEAR(fixed->data[i], floating->data[i], 64.0) << block << " " << i;
    }
    // Any other text selects fixed point; a number changes nothing.
    ASSERT_EQ(ZR_OK, spcpp("%o -a %i", b, 1));
    EXPECT_TRUE(b->floating.load());
    ASSERT_EQ(ZR_OK, spcpp("%o -a float", b));
    EXPECT_FALSE(b->floating.load());
}

TEST_F(Filters, SwitchedOffFilterForgetsStateKeepsCoefficients)
{
    auto *lp = effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 44100 -f 500", in,
                                        out_buffer());
    auto *bp = effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o -clock 44100 -f 500 -q .618",
                                        in, out_buffer());
    feed(50);
    EXPECT_NE(0, lp->b);
    EXPECT_NE(0, bp->y1);
    const uint32_t alpha = lp->alpha;
    const int32_t k1 = bp->k1;
    set_on(lp, 0);
    set_on(bp, 0);
    feed(51);
    EXPECT_EQ(0, lp->b);
    EXPECT_EQ(0, bp->x1);
    EXPECT_EQ(0, bp->y1);
    EXPECT_EQ(0, bp->y2);
    EXPECT_EQ(alpha, lp->alpha.load());
    EXPECT_EQ(k1, bp->k1.load());
}

class CopyEffect : public Filters {};

TEST_F(CopyEffect, StridesGatherAndSpread)
{
    ZR_Buffer *half = out_buffer(), *spread = out_buffer();
    auto *gather = effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o -is 2", in, half);
    auto *scatter = effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o -os 2", half, spread);
    EXPECT_EQ(2, query_int("%o -is", gather));
    EXPECT_EQ(1, query_int("%o -os", gather));
    fill(half, std::vector<int32_t>(N, -5));
    fill(spread, std::vector<int32_t>(N, -5));
    feed(60);
    std::vector<int32_t> x = read(in), h = read(half), s = read(spread);
    for (int j = 0; j < N; ++j) {
        // 256 samples gathered; the rest of the block untouched.
        EXPECT_EQ(j < N / 2 ? x[2 * j] : -5, h[j]) << j;
        // Spreading a full block writes only the slots that fit.
        EXPECT_EQ(j % 2 == 0 ? h[j / 2] : -5, s[j]) << j;
    }
    // Strides below 1 and float strides are refused.
    ASSERT_EQ(ZR_OK, spcpp("%o -is %i -os %i", scatter, 0, -3));
    ASSERT_EQ(ZR_OK, spcpp("%o -is %f", scatter, 3.0));
    EXPECT_EQ(1, query_int("%o -is", scatter));
    EXPECT_EQ(2, query_int("%o -os", scatter));
}

TEST_F(CopyEffect, SameBufferSetIsUntouchedAddDoubles)
{
    ZR_Buffer *b = out_buffer();
    auto *self = effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o", b, b);
    std::vector<int32_t> v = {1, -2, 0x40000000, INT32_MIN, INT32_MAX};
    v.resize(N, 77);
    fill(b, v);
    feed(70);
    EXPECT_EQ(v, read(b));
    ASSERT_EQ(ZR_OK, spcpp("%o -mode add", self));
    feed(71);
    std::vector<int32_t> got = read(b);
    for (int j = 0; j < N; ++j)
        EXPECT_EQ((int32_t)(2u * (uint32_t)v[j]), got[j]) << j;
}

TEST_F(CopyEffect, FinalCopyDeliversTheCrossfade)
{
    // The application's tail: a switching low-pass into a buffer, then a copy
    // that is never switched.
    ZR_Buffer *work = out_buffer(), *final_out = out_buffer();
    effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o", in, work);
    auto *lp =
        effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 44100 -f 200", in, work);
    effect<ZR_Effect_Copy>("ZR_Effect_Copy -i %o -o %o", work, final_out);
    feed(80);
    set_on(lp, 0);
    int32_t state = lp->b;
    uint32_t alpha = lp->alpha;
    feed(81);
    std::vector<int32_t> x = read(in), y = read(final_out), wet(N);
    kernel_lowpass1[0](x.data(), wet.data(), N, alpha, state);
    EXPECT_EQ(wet[0], y[0]);
    for (int j = 0; j < N; ++j)
        EXPECT_EQ((int32_t)(((int64_t)x[j] * j + (int64_t)wet[j] * (N - j)) / N), y[j]) << j;
    feed(82);
    EXPECT_EQ(read(in), read(final_out));
}

} // namespace

namespace {

// The band-pass formula as first written, every quotient its own division.
bool bandpass_reference(float f, float q, int32_t fs_int, ZR_bandpass_coefficients *out)
{
    if (q == 0.0f || q == 1.0f || f == 0.0f || fs_int == 0)
        return false;
    const double pi = 3.141592653589793;
    const double fs = fs_int, A = (double)f * q, B = (double)f / q;
    const double wA = A * 2.0 * pi, wB = B * 2.0 * pi;
    const double D = (wB - wA) / (wB * wA), E = 1.0 / (wB * wA);
    const double g = fs * D * 0.5, h = fs * E * fs;
    const double c[3] = {(2.0 * g + 1.0) / (g + h), 2.0 * g / (g + h), g / (g + h)};
    const double k[3] = {c[0] * 1073741824.0, c[1] * 2147483648.0, c[2] * 2147483648.0};
    int32_t low[3];
    for (int i = 0; i < 3; ++i) {
        if (!(std::fabs(k[i]) < 9223372036854775808.0))
            return false;
        low[i] = (int32_t)(uint32_t)(uint64_t)(int64_t)k[i];
    }
    *out = {c[0], c[1], c[2], low[0], low[1], low[2]};
    return true;
}

TEST(BandPassDesign, EqualsTheFormulaToTheBitOverRandomInputs)
{
    std::mt19937 rng(17);
    auto any_float = [&] {
        float x;
        do {
            const uint32_t bits = rng();
            std::memcpy(&x, &bits, sizeof x);
        } while (!std::isfinite(x));
        return x;
    };
    std::uniform_real_distribution<double> octave(-2.0, 15.0), spread(-3.0, 3.0);
    const float qs[] = {
        0.618f, 1.0f, -1.0f, 0.0f, -0.0f, std::nextafter(1.0f, 2.0f), std::nextafter(1.0f, 0.0f)};
    const int32_t rates[] = {44100, 48000, 1, -96000, INT32_MAX, INT32_MIN};
    // Batches of every length up to three chunks, one q and rate each; every
    // frequency goes through the single and the batched design.
    std::vector<float> f;
    std::vector<ZR_bandpass_coefficients> batch;
    std::vector<char> formed;
    for (int n = 0; n < 2000; ++n) {
        const float q = n % 3 == 0   ? any_float()
                        : n % 3 == 1 ? qs[rng() % 7]
                                     : (float)std::exp2(spread(rng));
        const int32_t fs = n % 2 ? rates[rng() % 6] : (int32_t)rng();
        f.resize(rng() % 200);
        for (float &x : f)
            x = rng() % 4 == 0   ? any_float()
                : rng() % 8 == 0 ? 0.0f
                                 : (float)std::exp2(octave(rng));
        // Runs of equal frequencies, as a glide gives at its end.
        if (n % 5 == 0 && f.size() > 9)
            std::fill(f.begin() + 3, f.begin() + 9, f[2]);
        batch.assign(f.size(), ZR_bandpass_coefficients{});
        formed.assign(f.size(), 2);
        ZR_bandpass_designs(f.data(), (int32_t)f.size(), q, fs, batch.data(),
                            reinterpret_cast<bool *>(formed.data()));
        for (size_t i = 0; i < f.size(); ++i) {
            ZR_bandpass_coefficients got{}, want{};
            const bool ok = bandpass_reference(f[i], q, fs, &want);
            ASSERT_EQ(ok, ZR_bandpass_design(f[i], q, fs, &got)) << f[i] << ' ' << q << ' ' << fs;
            ASSERT_EQ(ok, formed[i] != 0) << f[i] << ' ' << q << ' ' << fs << " at " << i;
            if (!ok)
                continue;
            for (const ZR_bandpass_coefficients &c : {got, batch[i]}) {
                ASSERT_EQ(0, std::memcmp(&want.c1, &c.c1, 3 * sizeof(double))) << f[i] << ' ' << q;
                ASSERT_EQ(want.k1, c.k1) << f[i] << ' ' << q << ' ' << fs;
                ASSERT_EQ(want.k2, c.k2) << f[i] << ' ' << q << ' ' << fs;
                ASSERT_EQ(want.k3, c.k3) << f[i] << ' ' << q << ' ' << fs;
            }
        }
    }
}

// The one-pole formula in extended precision, written out.
bool onepole_reference(int32_t f, int32_t fs, uint32_t *alpha)
{
    if (f == 0 || fs == 0)
        return false;
    const long double a = (long double)f * 13493037704.522018L /
                          ((long double)f * 3.141592653589793L + (long double)fs / 2);
    if (!(std::fabs(a) < 9.2233720368547758e18L))
        return false;
    *alpha = (uint32_t)(uint64_t)(int64_t)a;
    return true;
}

TEST(OnePoleDesign, SingleAndBatchedEqualTheFormulaOverRandomInputs)
{
    std::mt19937 rng(18);
    const int32_t edges[] = {0, 1, -1, INT32_MAX, INT32_MIN, 20, 10800, -24000, 48000};
    std::vector<int32_t> f;
    std::vector<uint32_t> batch;
    std::vector<char> formed;
    for (int n = 0; n < 3000; ++n) {
        const int32_t fs = n % 3 == 0   ? edges[rng() % 9]
                           : n % 3 == 1 ? (int32_t)rng()
                                        : 8000 + (int32_t)(rng() % 184000);
        f.resize(rng() % 200);
        for (int32_t &x : f)
            x = rng() % 4 == 0 ? edges[rng() % 9]
                : rng() % 2    ? (int32_t)rng()
                               : (int32_t)(rng() % 30000);
        if (n % 5 == 0 && f.size() > 9)
            std::fill(f.begin() + 3, f.begin() + 9, f[2]);
        batch.assign(f.size(), 7u);
        formed.assign(f.size(), 2);
        ZR_onepole_alphas(f.data(), (int32_t)f.size(), fs, batch.data(),
                          reinterpret_cast<bool *>(formed.data()));
        for (size_t i = 0; i < f.size(); ++i) {
            uint32_t want = 0, got = 0;
            const bool ok = onepole_reference(f[i], fs, &want);
            ASSERT_EQ(ok, ZR_onepole_alpha(f[i], fs, &got)) << f[i] << ' ' << fs;
            ASSERT_EQ(ok, formed[i] != 0) << f[i] << ' ' << fs << " at " << i;
            if (ok) {
                ASSERT_EQ(want, got) << f[i] << ' ' << fs;
                ASSERT_EQ(want, batch[i]) << f[i] << ' ' << fs;
            }
            else {
                ASSERT_EQ(7u, batch[i]) << "left alone: " << f[i] << ' ' << fs;
            }
        }
    }
}

// A design handed in is taken only for the inputs it was made from; for
// others the filter forms its own, as the -f option would.
TEST_F(Filters, KnownDesignsAreTakenOnlyForTheirOwnInputs)
{
    auto *bp = effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o -q .618 -clock 48000", in,
                                        out_buffer());
    auto *bp_ref = effect<ZR_Effect_Bapass>("ZR_Effect_Bapass -i %o -o %o -q .618 -clock 48000", in,
                                            out_buffer());
    auto *lp =
        effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 48000", in, out_buffer());
    auto *lp_ref =
        effect<ZR_Effect_Lopass>("ZR_Effect_Lopass -i %o -o %o -clock 48000", in, out_buffer());
    const ZR_bandpass_coefficients marked = {1.5, 2.5, 3.5, 11, 22, 33};
    struct Case {
        const char *what;
        float f, q;
        int32_t fs;
        bool ok, band_taken, low_taken;
    } cases[] = {
        {"own inputs", 1234.5f, 0.618f, 48000, true, true, true},
        {"own inputs, not formed", 2345.5f, 0.618f, 48000, false, true, true},
        {"another rate", 3456.5f, 0.618f, 44100, true, false, false},
        {"another q", 4567.5f, 0.5f, 48000, true, false, true},
        {"another rate, not formed", 5678.5f, 0.618f, 96000, false, false, false},
    };
    for (const Case &c : cases) {
        const ZR_value v = ZR_value::of_float(c.f);
        const uint32_t alpha_before = lp->alpha.load();
        const int32_t k1_before = bp->k1.load();
        bp->set_frequency({c.f, c.q, c.fs, c.ok, marked});
        lp->set_frequency({(int32_t)c.f, c.fs, c.ok, 4242u});
        ZR_Effect_Bapass::m_f(bp_ref, v);
        ZR_Effect_Onepole::m_f(lp_ref, v);
        EXPECT_EQ(c.f, bp->frequency.load()) << c.what;
        EXPECT_EQ((int32_t)c.f, lp->frequency.load()) << c.what;
        if (!c.band_taken) {
            EXPECT_EQ(bp_ref->k1.load(), bp->k1.load()) << c.what;
            EXPECT_EQ(bp_ref->k2.load(), bp->k2.load()) << c.what;
            EXPECT_EQ(bp_ref->k3.load(), bp->k3.load()) << c.what;
            EXPECT_EQ(bp_ref->c2.load(), bp->c2.load()) << c.what;
        }
        else if (c.ok) {
            EXPECT_EQ(33, bp->k3.load()) << c.what;
            EXPECT_EQ(1.5, bp->c1.load()) << c.what;
        }
        else {
            EXPECT_EQ(k1_before, bp->k1.load()) << c.what;
        }
        if (!c.low_taken)
            EXPECT_EQ(lp_ref->alpha.load(), lp->alpha.load()) << c.what;
        else
            EXPECT_EQ(c.ok ? 4242u : alpha_before, lp->alpha.load()) << c.what;
        // Both start the next case alike.
        ZR_Effect_Bapass::m_f(bp, v);
        ZR_Effect_Onepole::m_f(lp, v);
    }
}

} // namespace
