// The fused cascade with its two stages in the two 64-bit lanes of one vector (AVX-512 VL, DQ,
// IFMA), and the run-time choice between it and the scalar kernels.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/cascade_plan.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#define ZR_CASCADE_TARGET __attribute__((target("avx512f,avx512dq,avx512vl,avx512ifma")))

namespace {

// Lane 0 holds stage 1's coefficients, lane 1 stage 2's, in the forms of the scalar steps;
// alpha20 = alpha 2^20, so that the high 52 bits of a 52 x 52-bit product are hi32(u alpha).
struct Lanes {
    __m128i alpha20, half, c, na, nb, na2;
};

// A coefficient pair (stage 1, stage 2) as a plan step stores it: two 32-bit values.
ZR_CASCADE_TARGET inline __m128i load_pair_u(const uint32_t *p)
{
    return _mm_cvtepu32_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
}
ZR_CASCADE_TARGET inline __m128i load_pair_s(const int32_t *p)
{
    return _mm_cvtepi32_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
}

ZR_CASCADE_TARGET inline Lanes make_lanes(__m128i alpha, __m128i a, __m128i b, __m128i c)
{
    const __m128i one = _mm_set1_epi64x(INT64_C(1) << 31);
    const __m128i na = _mm_sub_epi64(one, a);
    return {_mm_slli_epi64(alpha, 20), _mm_srli_epi64(alpha, 1), c, na,
            _mm_sub_epi64(one, b),     _mm_add_epi64(na, na)};
}

ZR_CASCADE_TARGET inline Lanes step_lanes(const ZR_cascade4_step &p)
{
    return make_lanes(load_pair_u(p.alpha), load_pair_s(p.a), load_pair_s(p.b), load_pair_s(p.c));
}

// Lane 0 from first, lane 1 from second.
ZR_CASCADE_TARGET inline Lanes blend_lanes(const Lanes &first, const Lanes &second)
{
    return {_mm_mask_mov_epi64(second.alpha20, 1, first.alpha20),
            _mm_mask_mov_epi64(second.half, 1, first.half),
            _mm_mask_mov_epi64(second.c, 1, first.c),
            _mm_mask_mov_epi64(second.na, 1, first.na),
            _mm_mask_mov_epi64(second.nb, 1, first.nb),
            _mm_mask_mov_epi64(second.na2, 1, first.na2)};
}

// Iteration j runs stage 1 at sample j in lane 0 and stage 2 at sample j - LAG in lane 1. Stage
// 2's input is lane 0's output of LAG iterations before, so the dependency between the lanes
// spreads over LAG iterations instead of lengthening the chain of one. Iterations 0 to LAG - 1
// leave lane 1 unused and n to n + LAG - 1 lane 0: n + LAG iterations in all.
constexpr int LAG = 3; // the turn of two in run() is written for 3

class Pipeline {
public:
    Pipeline(const int32_t *in, int32_t *mid, int32_t *out, int n, const ZR_cascade4_state &s)
        : in_(in), mid_(mid), out_(out), n_(n), s_(s)
    {
        // o = b - 2^31 and m = -y, as in the scalar steps; lane 1 is set before iteration LAG.
        o_ = _mm_cvtsi32_si128(
            static_cast<int32_t>(static_cast<uint32_t>(s.low[0].b) - 0x80000000u));
        m1_ = _mm_cvtsi64_si128(-int64_t{s.band[0].y1});
        m2_ = _mm_cvtsi64_si128(-int64_t{s.band[0].y2});
        x1_ = _mm_cvtsi32_si128(s.band[0].x1);
        x2_ = _mm_cvtsi32_si128(s.band[0].x2);
        t_ = v1_ = v2_ = v3_ = _mm_setzero_si128();
    }
    int iteration() const { return j_; }
    int iterations() const { return n_ + LAG; }

    // Runs iterations up to end (exclusive) with the coefficients k.
    ZR_CASCADE_TARGET void run(int end, const Lanes &k)
    {
        t_ = hi31(m1_, k);
        while (j_ < end && j_ < LAG)
            single(k);
        // Two iterations a turn, both lanes in use: the history moves by renaming.
        const int pairs_end = std::min(end, n_ - 1);
        // Locals: the stores through mid and out could alias members, which would then be
        // reloaded every turn.
        const Lanes kl = k;
        const int32_t *in = in_;
        int32_t *mid = mid_, *out = out_;
        __m128i o = o_, t = t_, m1 = m1_, m2 = m2_, x1 = x1_, x2 = x2_, v1 = v1_, v2 = v2_,
                v3 = v3_;
        int j = j_;
        for (; j + 2 <= pairs_end; j += 2) {
            const __m128i xa = _mm_unpacklo_epi64(_mm_cvtsi32_si128(in[j]), v3);
            const __m128i va = step(o, t, m1, m2, xa, x2, kl);
            const __m128i xb = _mm_unpacklo_epi64(_mm_cvtsi32_si128(in[j + 1]), v2);
            const __m128i vb = step(o, t, m1, m2, xb, x1, kl);
            _mm_storel_epi64(reinterpret_cast<__m128i *>(mid + j), _mm_unpacklo_epi32(va, vb));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + j - LAG),
                             _mm_unpackhi_epi32(va, vb));
            x2 = xa;
            x1 = xb;
            v3 = v1;
            v2 = va;
            v1 = vb;
        }
        o_ = o, t_ = t, m1_ = m1, m2_ = m2, x1_ = x1, x2_ = x2, v1_ = v1, v2_ = v2, v3_ = v3,
        j_ = j;
        while (j_ < end)
            single(k);
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
        s.low[1].b =
            static_cast<int32_t>(static_cast<uint32_t>(_mm_extract_epi64(o_, 1)) + 0x80000000u);
        p1.y1 = static_cast<int32_t>(-m10_);
        p1.y2 = static_cast<int32_t>(-m20_);
        p2.y1 = static_cast<int32_t>(-_mm_extract_epi64(m1_, 1));
        p2.y2 = static_cast<int32_t>(-_mm_extract_epi64(m2_, 1));
    }

private:
    // OnepoleStep and BandpassStep in both lanes; returns (o + 2^31) + m in each lane's low
    // dword. Only the low dwords of x - o and x - x2 matter: the multiplies read nothing else.
    // t = hi31(na m1) is carried instead of m1 alone: the next t is hi31(2 na t - na r), with
    // 2 na t - na r = na m exact modulo 2^64, so the chain from t to t is multiply, subtract,
    // shift, and the clamp, taken only when m saturates, stays off it.
    ZR_CASCADE_TARGET [[gnu::always_inline]] static inline __m128i
    step(__m128i &o, __m128i &t, __m128i &m1, __m128i &m2, __m128i x, __m128i x2, const Lanes &k)
    {
        // o - half + hi32(u alpha) in one multiply-add; u must be exactly the low 32 bits.
        const __m128i u = _mm_and_si128(_mm_sub_epi64(x, o), _mm_set1_epi64x(UINT32_MAX));
        o = _mm_madd52hi_epu64(_mm_sub_epi64(o, k.half), u, k.alpha20);
        const __m128i cd = _mm_srai_epi64(_mm_mul_epi32(_mm_sub_epi64(x, x2), k.c), 31);
        const __m128i r = _mm_add_epi64(cd, _mm_srai_epi64(_mm_mullo_epi64(m2, k.nb), 31));
        __m128i m = _mm_sub_epi64(_mm_add_epi64(t, t), r);
        t = _mm_srai_epi64(_mm_sub_epi64(_mm_mullo_epi64(t, k.na2), _mm_mullo_epi64(r, k.na)), 31);
        // -y saturates to [-(2^31 - 1), 2^31].
        if (__builtin_expect(_mm_cmpgt_epu64_mask(_mm_add_epi64(m, _mm_set1_epi64x(INT32_MAX)),
                                                  _mm_set1_epi64x(UINT32_MAX)) != 0,
                             0)) {
            m = _mm_min_epi64(_mm_max_epi64(m, _mm_set1_epi64x(-INT32_MAX)),
                              _mm_set1_epi64x(INT64_C(0x80000000)));
            t = hi31(m, k);
        }
        m2 = m1;
        m1 = m;
        return _mm_add_epi64(_mm_add_epi64(o, _mm_set1_epi64x(INT64_C(0x80000000))), m);
    }
    ZR_CASCADE_TARGET static inline __m128i hi31(__m128i m, const Lanes &k)
    {
        return _mm_srai_epi64(_mm_mullo_epi64(m, k.na), 31);
    }

    // One iteration with the edges: unused lanes, lane 0 saved after sample n - 1, lane 1 set up.
    ZR_CASCADE_TARGET void single(const Lanes &k)
    {
        const int j = j_;
        const __m128i x = _mm_unpacklo_epi64(_mm_cvtsi32_si128(j < n_ ? in_[j] : 0), v3_);
        const __m128i v = step(o_, t_, m1_, m2_, x, x2_, k);
        x2_ = x1_;
        x1_ = x;
        v3_ = v2_;
        v2_ = v1_;
        v1_ = v;
        if (j < n_)
            mid_[j] = _mm_cvtsi128_si32(v);
        if (j >= LAG)
            out_[j - LAG] = _mm_extract_epi32(v, 2);
        if (j == n_ - 1) {
            o0_ = static_cast<uint32_t>(_mm_cvtsi128_si32(o_));
            m10_ = _mm_cvtsi128_si64(m1_);
            m20_ = _mm_cvtsi128_si64(m2_);
        }
        if (j == LAG - 1) {
            const ZR_bandpass_state &p2 = s_.band[1];
            o_ = _mm_insert_epi64(o_, static_cast<uint32_t>(s_.low[1].b) - 0x80000000u, 1);
            m1_ = _mm_insert_epi64(m1_, -int64_t{p2.y1}, 1);
            m2_ = _mm_insert_epi64(m2_, -int64_t{p2.y2}, 1);
            x1_ = _mm_insert_epi64(x1_, p2.x1, 1);
            x2_ = _mm_insert_epi64(x2_, p2.x2, 1);
            t_ = hi31(m1_, k);
        }
        j_ = j + 1;
    }

    const int32_t *in_;
    int32_t *mid_, *out_;
    int n_;
    const ZR_cascade4_state &s_;
    int j_ = 0;
    __m128i o_, t_, m1_, m2_, x1_, x2_, v1_, v2_, v3_;
    uint32_t o0_ = 0;
    int64_t m10_ = 0, m20_ = 0;
};

ZR_CASCADE_TARGET void cascade4_avx512(const int32_t *in, int32_t *mid, int32_t *out, int n,
                                       ZR_cascade4_state &s)
{
    if (n < 1)
        return;
    const ZR_onepole_state *l = s.low;
    const ZR_bandpass_state *p = s.band;
    const Lanes k =
        make_lanes(_mm_set_epi64x(l[1].alpha, l[0].alpha), _mm_set_epi64x(p[1].a, p[0].a),
                   _mm_set_epi64x(p[1].b, p[0].b), _mm_set_epi64x(p[1].c, p[0].c));
    Pipeline f(in, mid, out, n, s);
    f.run(f.iterations(), k);
    f.finish(s);
    // Clean upper halves before returning to code built for SSE2 and x87: without this the
    // caller's coefficient formulas ran several times slower after each call.
    _mm256_zeroupper();
}

// Lane 1 lags LAG samples, so near a step's end the lanes run different steps' coefficients.
ZR_CASCADE_TARGET void cascade4_planned_avx512(const int32_t *in, int32_t *mid, int32_t *out,
                                               const ZR_cascade4_step *plan, int count,
                                               ZR_cascade4_state &s)
{
    const int n = plan[count - 1].end;
    if (n < 1)
        return;
    Pipeline f(in, mid, out, n, s);
    const int total = f.iterations();
    int g0 = 0, g1 = 0; // the steps of lane 0 (sample j) and lane 1 (sample j - LAG)
    int lanes0_step = 0;
    Lanes lanes0 = step_lanes(plan[0]);
    while (f.iteration() < total) {
        const int j = f.iteration();
        while (g0 < count - 1 && plan[g0].end <= j)
            ++g0;
        while (g1 < count - 1 && plan[g1].end <= j - LAG)
            ++g1;
        if (g0 != lanes0_step) {
            lanes0 = step_lanes(plan[g0]);
            lanes0_step = g0;
        }
        const int end =
            std::min({total, plan[g0].end > j ? plan[g0].end : total, plan[g1].end + LAG});
        if (g1 == g0)
            f.run(end, lanes0);
        else
            f.run(end, blend_lanes(lanes0, step_lanes(plan[g1])));
    }
    f.finish(s);
    _mm256_zeroupper(); // as above
    zr_kernels::take_coefficients(plan[count - 1], s);
}

bool detect_vector()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512ifma");
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
