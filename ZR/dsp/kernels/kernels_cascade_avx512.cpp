// The fused cascade with its two band-passes in the two 64-bit lanes of one vector (AVX-512 VL,
// DQ) and its two one-poles in general registers beside them, and the run-time choice between it
// and the scalar kernels.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/cascade_plan.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#define ZR_CASCADE_TARGET __attribute__((target("avx512f,avx512dq,avx512vl")))

namespace {

// Lane 0 holds stage 1's band-pass coefficients, lane 1 stage 2's, in the forms of the scalar
// steps.
struct Lanes {
    __m128i c, na, nb, na2;
};
// A one-pole's alpha and alpha / 2.
struct Low {
    uint32_t alpha, half;
};
struct Coefficients {
    Lanes band;
    Low low[2]; // stage 1's, stage 2's
};

ZR_CASCADE_TARGET inline __m128i load_pair_s(const int32_t *p)
{
    return _mm_cvtepi32_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
}

ZR_CASCADE_TARGET inline Coefficients make_coefficients(const uint32_t *alpha, __m128i a, __m128i b,
                                                        __m128i c)
{
    const __m128i one = _mm_set1_epi64x(INT64_C(1) << 31);
    const __m128i na = _mm_sub_epi64(one, a);
    return {{c, na, _mm_sub_epi64(one, b), _mm_add_epi64(na, na)},
            {{alpha[0], alpha[0] >> 1}, {alpha[1], alpha[1] >> 1}}};
}

ZR_CASCADE_TARGET inline Coefficients step_coefficients(const ZR_cascade4_step &p)
{
    return make_coefficients(p.alpha, load_pair_s(p.a), load_pair_s(p.b), load_pair_s(p.c));
}

// Stage 1 from first, stage 2 from second.
ZR_CASCADE_TARGET inline Coefficients blend_coefficients(const Coefficients &first,
                                                         const Coefficients &second)
{
    const Lanes &f = first.band, &s = second.band;
    return {{_mm_mask_mov_epi64(s.c, 1, f.c), _mm_mask_mov_epi64(s.na, 1, f.na),
             _mm_mask_mov_epi64(s.nb, 1, f.nb), _mm_mask_mov_epi64(s.na2, 1, f.na2)},
            {first.low[0], second.low[1]}};
}

// OnepoleStep on o = b - 2^31; returns the new o.
[[gnu::always_inline]] inline uint32_t low(uint32_t &o, int32_t x, const Low &k)
{
    uint64_t p = static_cast<uint32_t>(static_cast<uint32_t>(x) - o);
    // In asm so that the compiler keeps the one-poles in general registers: it would move them
    // to the vector units, which the band-passes already keep busy.
    asm("imulq %1, %0" : "+r"(p) : "r"(uint64_t{k.alpha}) : "cc");
    o = o - k.half + static_cast<uint32_t>(p >> 32);
    return o;
}

// A dword loaded straight into a vector: from C the compiler loads it into a general register
// and moves it over, an operation more on the vector units.
ZR_CASCADE_TARGET inline __m128i load_dword(const int32_t *p)
{
    __m128i v;
    asm("vmovd %1, %0" : "=v"(v) : "m"(*p));
    return v;
}

// Iteration j runs stage 1 at sample j and stage 2 at sample j - LAG: in lane 0 and lane 1 of the
// band-pass vector, and in the two one-pole registers. Stage 2's input is stage 1's output of LAG
// iterations before, so the moves between the register files stay off the loop-carried chains.
// Iterations 0 to LAG - 1 leave stage 2 unused and n to n + LAG - 1 stage 1: n + LAG in all.
// LAG iterations a turn, so that the history moves by renaming.
constexpr int LAG = 8;

class Pipeline {
public:
    Pipeline(const int32_t *in, int32_t *mid, int32_t *out, int n, const ZR_cascade4_state &s)
        : in_(in), mid_(mid), out_(out), n_(n), s_(s)
    {
        // o = b - 2^31 and m = -y, as in the scalar steps; lane 1 is set before iteration LAG.
        o0_ = static_cast<uint32_t>(s.low[0].b) - 0x80000000u;
        o1_ = static_cast<uint32_t>(s.low[1].b) - 0x80000000u;
        m1_ = _mm_cvtsi64_si128(-int64_t{s.band[0].y1});
        m2_ = _mm_cvtsi64_si128(-int64_t{s.band[0].y2});
        x1_ = _mm_cvtsi32_si128(s.band[0].x1);
        x2_ = _mm_cvtsi32_si128(s.band[0].x2);
        t_ = _mm_setzero_si128();
        for (__m128i &v : v_)
            v = _mm_setzero_si128();
    }
    // Runs all n + LAG iterations. source.at(j, end) gives the coefficients of iteration j and
    // sets end to the first iteration that needs others.
    template <class Source>
    ZR_CASCADE_TARGET void run(Source &source)
    {
        const int total = n_ + LAG;
        while (j_ < total) {
            int end;
            const Coefficients k = source.at(j_, end);
            t_ = hi31(m1_, k.band);
            // Sample n - 1 goes through single(), which keeps lane 0's state after it.
            if (j_ >= LAG && j_ + LAG <= std::min(end, n_ - 1))
                turns(source, k, end);
            else
                single(k);
        }
    }

    // Writes the state after n samples back into s, as the scalar kernel leaves it.
    ZR_CASCADE_TARGET void finish(ZR_cascade4_state &s) const
    {
        ZR_bandpass_state &p1 = s.band[0], &p2 = s.band[1];
        const int32_t in1 = p1.x1, mid1 = p2.x1;
        const int n = n_;
        p1.x1 = in_[n - 1];
        p1.x2 = n >= 2 ? in_[n - 2] : in1;
        p2.x1 = mid_[n - 1];
        p2.x2 = n >= 2 ? mid_[n - 2] : mid1;
        s.low[0].b = static_cast<int32_t>(o0_ + 0x80000000u);
        s.low[1].b = static_cast<int32_t>(o1_ + 0x80000000u);
        p1.y1 = static_cast<int32_t>(-m10_);
        p1.y2 = static_cast<int32_t>(-m20_);
        p2.y1 = static_cast<int32_t>(-_mm_extract_epi64(m1_, 1));
        p2.y2 = static_cast<int32_t>(-_mm_extract_epi64(m2_, 1));
    }

private:
    // LAG iterations a turn from j_ >= LAG while a whole turn lies before sample n - 1, with the
    // coefficients first up to iteration end, then the source's.
    template <class Source>
    ZR_CASCADE_TARGET void turns(Source &source, const Coefficients &first, int end)
    {
        // Locals: the stores through mid and out could alias members, which would then be
        // reloaded every turn.
        Lanes kb = first.band;
        Low k0 = first.low[0], k1 = first.low[1];
        const int32_t *in = in_;
        int32_t *mid = mid_, *out = out_;
        const int last = n_ - 1;
        __m128i t = t_, m1 = m1_, m2 = m2_, x1 = x1_, x2 = x2_, w[LAG];
        for (int q = 0; q < LAG; ++q)
            w[q] = v_[q];
        uint32_t o0 = o0_, o1 = o1_;
        const __m128i sign = _mm_set1_epi32(INT32_MIN);
        int j = j_;
        do {
            __m128i x[LAG], m[LAG], v[LAG];
            for (int q = 0; q < LAG; ++q)
                x[q] = _mm_unpacklo_epi64(load_dword(in + j + q), w[LAG - 1 - q]);
            band_pair(t, m1, m2, x[0], x2, x[1], x1, kb, m[0], m[1]);
            for (int q = 2; q < LAG; q += 2)
                band_pair(t, m1, m2, x[q], x[q - 2], x[q + 1], x[q - 1], kb, m[q], m[q + 1]);
            // Dword 0: stage 1's output - 2^31, dword 1: stage 2's.
            for (int q = 0; q < LAG; ++q) {
                const uint64_t o = low(o0, in[j + q], k0) | uint64_t{low(o1, mid[j + q - LAG], k1)}
                                                                << 32;
                v[q] = _mm_add_epi32(_mm_shuffle_epi32(m[q], _MM_SHUFFLE(3, 3, 2, 0)),
                                     _mm_cvtsi64_si128(static_cast<int64_t>(o)));
            }
            for (int q = 0; q < LAG; q += 4) {
                const __m128i ab = _mm_unpacklo_epi32(v[q], v[q + 1]);
                const __m128i cd = _mm_unpacklo_epi32(v[q + 2], v[q + 3]);
                _mm_storeu_si128(reinterpret_cast<__m128i *>(mid + j + q),
                                 _mm_xor_si128(_mm_unpacklo_epi64(ab, cd), sign));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + j + q - LAG),
                                 _mm_xor_si128(_mm_unpackhi_epi64(ab, cd), sign));
            }
            x2 = x[LAG - 2];
            x1 = x[LAG - 1];
            for (int q = 0; q < LAG; ++q)
                w[LAG - 1 - q] = v[q];
            j += LAG;
            if (j >= end && j + LAG <= last) {
                const Coefficients k = source.at(j, end);
                kb = k.band;
                k0 = k.low[0];
                k1 = k.low[1];
                t = hi31(m1, kb);
            }
        } while (j + LAG <= std::min(end, last));
        t_ = t, m1_ = m1, m2_ = m2, x1_ = x1, x2_ = x2, o0_ = o0, o1_ = o1, j_ = j;
        for (int q = 0; q < LAG; ++q)
            v_[q] = w[q];
    }

    // BandpassStep in both lanes without the clamp; returns m, and sets the lanes where it
    // saturates. Only the low dwords of x - x2 matter: the multiply reads nothing else.
    // t = hi31(na m1) is carried instead of m1 alone: the next t is hi31(2 na t - na r), with
    // 2 na t - na r = na m exact modulo 2^64, so the chain from t to t is multiply, subtract,
    // shift, and the clamp stays off it.
    [[gnu::always_inline]] ZR_CASCADE_TARGET static inline __m128i
    band_step(__m128i &t, __m128i &m1, __m128i &m2, __m128i x, __m128i x2, const Lanes &k,
              __mmask8 &saturated)
    {
        const __m128i cd = _mm_srai_epi64(_mm_mul_epi32(_mm_sub_epi64(x, x2), k.c), 31);
        const __m128i r = _mm_add_epi64(cd, _mm_srai_epi64(_mm_mullo_epi64(m2, k.nb), 31));
        const __m128i m = _mm_sub_epi64(_mm_add_epi64(t, t), r);
        t = _mm_srai_epi64(_mm_sub_epi64(_mm_mullo_epi64(t, k.na2), _mm_mullo_epi64(r, k.na)), 31);
        // -y saturates to [-(2^31 - 1), 2^31].
        saturated = _mm_cmpgt_epu64_mask(_mm_add_epi64(m, _mm_set1_epi64x(INT32_MAX)),
                                         _mm_set1_epi64x(UINT32_MAX));
        m2 = m1;
        m1 = m;
        return m;
    }
    // The same with the clamp.
    [[gnu::always_inline]] ZR_CASCADE_TARGET static inline __m128i
    band(__m128i &t, __m128i &m1, __m128i &m2, __m128i x, __m128i x2, const Lanes &k)
    {
        __mmask8 saturated;
        const __m128i m = band_step(t, m1, m2, x, x2, k, saturated);
        if (__builtin_expect(saturated != 0, 0)) {
            m1 = _mm_min_epi64(_mm_max_epi64(m, _mm_set1_epi64x(-INT32_MAX)),
                               _mm_set1_epi64x(INT64_C(0x80000000)));
            t = hi31(m1, k);
        }
        return m1;
    }
    // Two steps with one test: when either saturates, both run again from the state before
    // them, with the clamp.
    [[gnu::always_inline]] ZR_CASCADE_TARGET static inline void
    band_pair(__m128i &t, __m128i &m1, __m128i &m2, __m128i xa, __m128i xa2, __m128i xb,
              __m128i xb2, const Lanes &k, __m128i &ma, __m128i &mb)
    {
        const __m128i t0 = t, m10 = m1, m20 = m2;
        __mmask8 sa, sb;
        ma = band_step(t, m1, m2, xa, xa2, k, sa);
        mb = band_step(t, m1, m2, xb, xb2, k, sb);
        if (__builtin_expect(!_kortestz_mask8_u8(sa, sb), 0)) {
            t = t0, m1 = m10, m2 = m20;
            ma = band(t, m1, m2, xa, xa2, k);
            mb = band(t, m1, m2, xb, xb2, k);
        }
    }
    ZR_CASCADE_TARGET static inline __m128i hi31(__m128i m, const Lanes &k)
    {
        return _mm_srai_epi64(_mm_mullo_epi64(m, k.na), 31);
    }

    // One iteration with the edges: unused stages, lane 0 saved after sample n - 1, lane 1 set up.
    ZR_CASCADE_TARGET void single(const Coefficients &k)
    {
        const int j = j_;
        const __m128i x = _mm_unpacklo_epi64(_mm_cvtsi32_si128(j < n_ ? in_[j] : 0), v_[LAG - 1]);
        __m128i v = band(t_, m1_, m2_, x, x2_, k.band);
        x2_ = x1_;
        x1_ = x;
        if (j < n_) {
            const uint32_t y = low(o0_, in_[j], k.low[0]) + 0x80000000u +
                               static_cast<uint32_t>(_mm_cvtsi128_si32(v));
            mid_[j] = static_cast<int32_t>(y);
            v = _mm_insert_epi32(v, static_cast<int32_t>(y - 0x80000000u), 0);
        }
        if (j >= LAG)
            out_[j - LAG] = static_cast<int32_t>(low(o1_, mid_[j - LAG], k.low[1]) + 0x80000000u +
                                                 static_cast<uint32_t>(_mm_extract_epi32(v, 2)));
        for (int q = LAG - 1; q > 0; --q)
            v_[q] = v_[q - 1];
        v_[0] = v;
        if (j == n_ - 1) {
            m10_ = _mm_cvtsi128_si64(m1_);
            m20_ = _mm_cvtsi128_si64(m2_);
        }
        if (j == LAG - 1) {
            // Lane 1's input history is offset like its input: stage 1's output - 2^31.
            const ZR_bandpass_state &p2 = s_.band[1];
            m1_ = _mm_insert_epi64(m1_, -int64_t{p2.y1}, 1);
            m2_ = _mm_insert_epi64(m2_, -int64_t{p2.y2}, 1);
            x1_ = _mm_insert_epi64(x1_, static_cast<uint32_t>(p2.x1) - 0x80000000u, 1);
            x2_ = _mm_insert_epi64(x2_, static_cast<uint32_t>(p2.x2) - 0x80000000u, 1);
            t_ = hi31(m1_, k.band);
        }
        j_ = j + 1;
    }

    const int32_t *in_;
    int32_t *mid_, *out_;
    int n_;
    const ZR_cascade4_state &s_;
    int j_ = 0;
    uint32_t o0_, o1_;
    // v_[i]: the vector of iteration j_ - 1 - i; its dword 0, stage 1's output - 2^31, is lane 1's
    // input LAG iterations later.
    __m128i t_, m1_, m2_, x1_, x2_, v_[LAG];
    int64_t m10_ = 0, m20_ = 0;
};

// The coefficients of a steady run.
struct SteadySource {
    Coefficients k;
    Coefficients at(int, int &end) const
    {
        end = INT32_MAX;
        return k;
    }
};

ZR_CASCADE_TARGET void cascade4_avx512(const int32_t *in, int32_t *mid, int32_t *out, int n,
                                       ZR_cascade4_state &s)
{
    if (n < 1)
        return;
    const ZR_onepole_state *l = s.low;
    const ZR_bandpass_state *p = s.band;
    const uint32_t alpha[2] = {l[0].alpha, l[1].alpha};
    SteadySource source{make_coefficients(alpha, _mm_set_epi64x(p[1].a, p[0].a),
                                          _mm_set_epi64x(p[1].b, p[0].b),
                                          _mm_set_epi64x(p[1].c, p[0].c))};
    Pipeline f(in, mid, out, n, s);
    f.run(source);
    f.finish(s);
    // Clean upper halves before returning to code built for SSE2 and x87: without this the
    // caller's coefficient formulas ran several times slower after each call.
    _mm256_zeroupper();
}

// The coefficients along a plan. Stage 2 lags LAG samples, so near a step's end the stages run
// different steps' coefficients.
class PlanSource {
public:
    PlanSource(const ZR_cascade4_step *plan, int count)
        : plan_(plan), count_(count), stage1_(step_coefficients(plan[0]))
    {
    }
    // Iterations only move forward.
    ZR_CASCADE_TARGET Coefficients at(int j, int &end)
    {
        while (g0_ < count_ - 1 && plan_[g0_].end <= j)
            ++g0_;
        while (g1_ < count_ - 1 && plan_[g1_].end <= j - LAG)
            ++g1_;
        if (g0_ != stage1_step_) {
            stage1_ = step_coefficients(plan_[g0_]);
            stage1_step_ = g0_;
        }
        end = std::min(plan_[g0_].end > j ? plan_[g0_].end : INT32_MAX, plan_[g1_].end + LAG);
        if (g1_ == g0_)
            return stage1_;
        return blend_coefficients(stage1_, step_coefficients(plan_[g1_]));
    }

private:
    const ZR_cascade4_step *plan_;
    int count_;
    int g0_ = 0, g1_ = 0; // the steps of stage 1 (sample j) and stage 2 (sample j - LAG)
    int stage1_step_ = 0;
    Coefficients stage1_;
};

ZR_CASCADE_TARGET void cascade4_planned_avx512(const int32_t *in, int32_t *mid, int32_t *out,
                                               const ZR_cascade4_step *plan, int count,
                                               ZR_cascade4_state &s)
{
    const int n = plan[count - 1].end;
    if (n < 1)
        return;
    PlanSource source(plan, count);
    Pipeline f(in, mid, out, n, s);
    f.run(source);
    f.finish(s);
    _mm256_zeroupper(); // as above
    zr_kernels::take_coefficients(plan[count - 1], s);
}

bool detect_vector()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
}

// 0: not yet known, 1: scalar, 2: vector. Every thread that looks computes the same answer.
std::atomic<int> choice{0};

bool use_vector()
{
    int c = choice.load(std::memory_order_relaxed);
    if (c == 0) {
        c = detect_vector() ? 2 : 1;
        choice.store(c, std::memory_order_relaxed);
    }
    return c == 2;
}
// Chosen at load time, so that no process call pays for the detection.
[[maybe_unused]] const bool chosen_at_load = use_vector();

} // namespace

ZR_kernel_cascade4_fn kernel_cascade4_vector()
{
    return use_vector() ? cascade4_avx512 : nullptr;
}
ZR_kernel_cascade4_planned_fn kernel_cascade4_planned_vector()
{
    return use_vector() ? cascade4_planned_avx512 : nullptr;
}

void kernel_cascade4(const int32_t *in, int32_t *mid, int32_t *out, int n, ZR_cascade4_state &s)
{
    if (use_vector())
        cascade4_avx512(in, mid, out, n, s);
    else
        kernel_cascade4_scalar(in, mid, out, n, s);
}
void kernel_cascade4_planned(const int32_t *in, int32_t *mid, int32_t *out,
                             const ZR_cascade4_step *plan, int count, ZR_cascade4_state &s)
{
    if (use_vector())
        cascade4_planned_avx512(in, mid, out, plan, count, s);
    else
        kernel_cascade4_planned_scalar(in, mid, out, plan, count, s);
}

#else

ZR_kernel_cascade4_fn kernel_cascade4_vector()
{
    return nullptr;
}
ZR_kernel_cascade4_planned_fn kernel_cascade4_planned_vector()
{
    return nullptr;
}
void kernel_cascade4(const int32_t *in, int32_t *mid, int32_t *out, int n, ZR_cascade4_state &s)
{
    kernel_cascade4_scalar(in, mid, out, n, s);
}
void kernel_cascade4_planned(const int32_t *in, int32_t *mid, int32_t *out,
                             const ZR_cascade4_step *plan, int count, ZR_cascade4_state &s)
{
    kernel_cascade4_planned_scalar(in, mid, out, plan, count, s);
}

#endif
