// Fixed-point block kernels: the per-sample inner loops of every effect.
// Flat functions, no allocation, no locks, no checks; the caller guarantees every bound (n >= 1).
#pragma once

#include <cstdint>

// Output modes: how a kernel combines its result y with out[i] (wrapping, never saturating).
enum ZR_kernel_mode {
    ZR_MODE_SET = 0, // y
    ZR_MODE_ADD = 1, // out + y
    ZR_MODE_SUB = 2, // out - y
    ZR_MODE_STN = 3, // -y
    ZR_MODE_ADN = 4, // -(out + y)
    ZR_MODE_SBN = 5, // y - out
    ZR_MODE_COUNT = 6
};

// Operator order of the 24-entry tables, indexed operator * 6 + mode.
enum ZR_kernel_operator {
    ZR_OPER_ADD = 0,
    ZR_OPER_SUB = 1,
    ZR_OPER_MUL = 2,
    ZR_OPER_DIV = 3
};

// Filter state that a caller hands to a kernel and takes back: a one-pole
// low-pass, a band-pass section in fixed point (coefficients a = c1 * 2^30,
// b = c2 * 2^31, c = c3 * 2^31) and in floating point.
struct ZR_onepole_state {
    uint32_t alpha;
    int32_t b;
};
struct ZR_bandpass_state {
    int32_t a, b, c;
    int32_t x1, x2, y1, y2;
};
struct ZR_bandpass_float_state {
    double c1, c2, c3;
    double x1, x2, y1, y2;
};
// Two stages, each a low-pass minus a band-pass over the same input.
struct ZR_cascade4_state {
    ZR_onepole_state low[2];
    ZR_bandpass_state band[2];
};

// Tap-network program entry: pointer-sized so that a group's output block pointer fits; 32-bit
// values are sign-extended.
typedef intptr_t ZR_tap_entry;

typedef void (*ZR_kernel_lowpass1_fn)(const int32_t *in, int32_t *out, int n, const uint32_t &alpha,
                                      int32_t &b);
typedef void (*ZR_kernel_copy_fn)(const int32_t *in, int32_t *out, int n, int in_stride,
                                  int out_stride);
typedef void (*ZR_kernel_binary_fn)(const int32_t *in1, const int32_t *in2, int32_t *out, int n);
typedef void (*ZR_kernel_const_fn)(const int32_t *in, int32_t *out, int n, int32_t k);
typedef void (*ZR_kernel_envelope_fn)(const int32_t *in, int32_t *out, int32_t *rectified, int n,
                                      int32_t attack, int32_t release, int32_t &e);
typedef void (*ZR_kernel_bandpass2_fn)(const int32_t *in, int32_t *out, int n, int32_t a, int32_t b,
                                       int32_t c, int32_t &x1, int32_t &x2, int32_t &y1,
                                       int32_t &y2);
typedef void (*ZR_kernel_bandpass2_float_fn)(const int32_t *in, int32_t *out, int n,
                                             ZR_bandpass_float_state &s);
typedef void (*ZR_kernel_tapnet_fn)(const int32_t *in, int n, int32_t *ring, uint16_t &position,
                                    const ZR_tap_entry *program, int length);

// Six-entry tables indexed by output mode.
extern const ZR_kernel_lowpass1_fn kernel_lowpass1[ZR_MODE_COUNT]; // one-pole low-pass, y = b
extern const ZR_kernel_copy_fn kernel_copy[ZR_MODE_COUNT];  // strided copy (strides in samples)
extern const ZR_kernel_binary_fn kernel_add[ZR_MODE_COUNT]; // sat(in1 + in2)
extern const ZR_kernel_binary_fn kernel_sub[ZR_MODE_COUNT]; // in1 - in2, wrapping
extern const ZR_kernel_binary_fn
    kernel_mul[ZR_MODE_COUNT]; // mul24(in1, in2), in2 a gain with 2^24 = 1.0
extern const ZR_kernel_binary_fn kernel_div[ZR_MODE_COUNT]; // div24(in1, in2)
extern const ZR_kernel_const_fn kernel_addk[ZR_MODE_COUNT]; // in + k, wrapping
extern const ZR_kernel_const_fn kernel_subk[ZR_MODE_COUNT]; // in - k, wrapping
extern const ZR_kernel_const_fn kernel_mulk[ZR_MODE_COUNT]; // mul24(in, k)
extern const ZR_kernel_const_fn kernel_divk[ZR_MODE_COUNT]; // div24(in, k)
// Envelope follower; out and rectified may be null. The rectified block is always stored as "set";
// without out the envelope e does not move.
extern const ZR_kernel_envelope_fn kernel_envelope[ZR_MODE_COUNT];
// Second-order band-pass section; y saturates to the 32-bit range (the stored combination still
// wraps).
extern const ZR_kernel_bandpass2_fn kernel_bandpass2[ZR_MODE_COUNT]; // n <= 65536
// The band-pass in floating point; y and its combination with out truncate toward zero, keeping
// the low 32 bits (saturating beyond the 64-bit range).
extern const ZR_kernel_bandpass2_float_fn kernel_bandpass2_float[ZR_MODE_COUNT];
// Multi-tap delay network over a 65536-sample ring; the mode applies to every group's output block.
extern const ZR_kernel_tapnet_fn kernel_tapnet[ZR_MODE_COUNT]; // n <= 65536, program non-empty

// 24-entry operator tables, indexed operator * 6 + mode.
extern const ZR_kernel_binary_fn kernel_oper[4 * ZR_MODE_COUNT]; // add, sub, mul, div
extern const ZR_kernel_const_fn kernel_koef[4 * ZR_MODE_COUNT];  // addk, subk, mulk, divk

// "Set" only families.
void kernel_hipass1(const int32_t *in, int32_t *out, int n, uint32_t alpha, int32_t &b);
// The four filter sections in one pass, every store "set": mid = low[0](in) - band[0](in), then
// out = low[1](mid) - band[1](mid). Needs kernel_cascade4_usable(s).
void kernel_cascade4(const int32_t *in, int32_t *mid, int32_t *out, int n, ZR_cascade4_state &s);
// One coefficient set of a planned cascade run, in force up to sample `end` (exclusive).
struct ZR_cascade4_step {
    int32_t end;
    uint32_t alpha[2];
    int32_t a[2], b[2], c[2];
};
// kernel_cascade4 over plan[count - 1].end samples with the coefficients changing between
// samples as planned (ends ascending, count >= 1); s's coefficients are not read, and take the
// last step's. Every step must pass kernel_cascade4_usable.
void kernel_cascade4_planned(const int32_t *in, int32_t *mid, int32_t *out,
                             const ZR_cascade4_step *plan, int count, ZR_cascade4_state &s);
// The two cascade kernels on one path each, for tests and benchmarks (the two above choose once, at
// run time): the scalar forms serve every CPU; the vector forms are null unless the CPU has
// AVX-512 F, DQ and VL.
typedef void (*ZR_kernel_cascade4_fn)(const int32_t *in, int32_t *mid, int32_t *out, int n,
                                      ZR_cascade4_state &s);
typedef void (*ZR_kernel_cascade4_planned_fn)(const int32_t *in, int32_t *mid, int32_t *out,
                                              const ZR_cascade4_step *plan, int count,
                                              ZR_cascade4_state &s);
void kernel_cascade4_scalar(const int32_t *in, int32_t *mid, int32_t *out, int n,
                            ZR_cascade4_state &s);
void kernel_cascade4_planned_scalar(const int32_t *in, int32_t *mid, int32_t *out,
                                    const ZR_cascade4_step *plan, int count, ZR_cascade4_state &s);
ZR_kernel_cascade4_fn kernel_cascade4_vector();
ZR_kernel_cascade4_planned_fn kernel_cascade4_planned_vector();
// False when a band-pass coefficient is -2^31, which only the separate kernels handle.
inline bool kernel_cascade4_usable(const ZR_cascade4_state &s)
{
    for (const ZR_bandpass_state &p : s.band)
        if (p.a == INT32_MIN || p.b == INT32_MIN || p.c == INT32_MIN)
            return false;
    return true;
}
// out[j] = (from[j] * (n - j) + to[j] * j) / n, truncated toward zero; out may be either input.
void kernel_blend(const int32_t *from, const int32_t *to, int32_t *out, int n);
// Soft clip; flags bit 0 = asymmetric. A zero divisor l + |d| gives q = 0. n <= 32768.
void kernel_softclip(const int32_t *in, int32_t *out, int n, int32_t &e, int32_t limit,
                     int32_t knee, int32_t tracking, int shift, uint32_t flags);

// Radix-2 passes over 2^(L+1) complex values stored as (re, im) pairs, 0 <= L <= 11.
// Input in bit-reversed order, output in natural order; forward scales by 1/M. Needs
// kernel_twiddle_init() first.
void kernel_fft_forward(int32_t *data, int L);
void kernel_fft_backward(int32_t *data, int L);

// Shared twiddle table: 2048 (cos, sin) pairs scaled by 2^31 - 1.
struct ZR_twiddle {
    int32_t c, s;
};
enum {
    ZR_TWIDDLE_COUNT = 2048
};
// Fills the table once; thread-safe, idempotent. Transform objects call it when they are built.
void kernel_twiddle_init();
const ZR_twiddle *kernel_twiddle_table();

// Low 32 bits of the cycle counter (nanoseconds where there is none): delta = now - last, last =
// now.
void kernel_ticks(uint32_t &last, uint32_t &delta);
