// Per-sample arithmetic kernels on two blocks or a block and a constant, and the operator tables.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "ZR/dsp/kernels/private/kernels_common.h"

using namespace zr_kernels;

namespace {

struct op_add {
    static int32_t apply(int32_t u, int32_t v) { return add_sat(u, v); }
};
struct op_sub {
    static int32_t apply(int32_t u, int32_t v) { return sub_w(u, v); }
};
struct op_addw {
    static int32_t apply(int32_t u, int32_t v) { return add_w(u, v); }
};
struct op_mul {
    static int32_t apply(int32_t u, int32_t v) { return mul24(u, v); }
};
struct op_div {
    static int32_t apply(int32_t u, int32_t v) { return div24(u, v); }
};

template <class Op, int Mode>
void binary(const int32_t *in1, const int32_t *in2, int32_t *out, int n)
{
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i, Op::apply(in1[i], in2[i]));
}

template <class Op, int Mode>
void with_const(const int32_t *in, int32_t *out, int n, int32_t k)
{
    for (int i = 0; i < n; ++i)
        store<Mode>(out + i, Op::apply(in[i], k));
}

template <int Mode>
void add2(const int32_t *a, const int32_t *b, int32_t *o, int n)
{
    binary<op_add, Mode>(a, b, o, n);
}
template <int Mode>
void sub2(const int32_t *a, const int32_t *b, int32_t *o, int n)
{
    binary<op_sub, Mode>(a, b, o, n);
}
template <int Mode>
void mul2(const int32_t *a, const int32_t *b, int32_t *o, int n)
{
    binary<op_mul, Mode>(a, b, o, n);
}
template <int Mode>
void div2(const int32_t *a, const int32_t *b, int32_t *o, int n)
{
    binary<op_div, Mode>(a, b, o, n);
}

// The constant forms of add and sub wrap; only the two-block add saturates.
template <int Mode>
void addk(const int32_t *a, int32_t *o, int n, int32_t k)
{
    with_const<op_addw, Mode>(a, o, n, k);
}
template <int Mode>
void subk(const int32_t *a, int32_t *o, int n, int32_t k)
{
    with_const<op_sub, Mode>(a, o, n, k);
}
template <int Mode>
void mulk(const int32_t *a, int32_t *o, int n, int32_t k)
{
    with_const<op_mul, Mode>(a, o, n, k);
}
template <int Mode>
void divk(const int32_t *a, int32_t *o, int n, int32_t k)
{
    with_const<op_div, Mode>(a, o, n, k);
}

} // namespace

const ZR_kernel_binary_fn kernel_add[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(add2);
const ZR_kernel_binary_fn kernel_sub[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(sub2);
const ZR_kernel_binary_fn kernel_mul[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(mul2);
const ZR_kernel_binary_fn kernel_div[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(div2);
const ZR_kernel_const_fn kernel_addk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(addk);
const ZR_kernel_const_fn kernel_subk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(subk);
const ZR_kernel_const_fn kernel_mulk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(mulk);
const ZR_kernel_const_fn kernel_divk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(divk);

// Built from the templates directly so that the tables are constant-initialised.
const ZR_kernel_binary_fn kernel_oper[4 * ZR_MODE_COUNT] = {
    add2<0>, add2<1>, add2<2>, add2<3>, add2<4>, add2<5>, //
    sub2<0>, sub2<1>, sub2<2>, sub2<3>, sub2<4>, sub2<5>, //
    mul2<0>, mul2<1>, mul2<2>, mul2<3>, mul2<4>, mul2<5>, //
    div2<0>, div2<1>, div2<2>, div2<3>, div2<4>, div2<5>};
const ZR_kernel_const_fn kernel_koef[4 * ZR_MODE_COUNT] = {
    addk<0>, addk<1>, addk<2>, addk<3>, addk<4>, addk<5>, //
    subk<0>, subk<1>, subk<2>, subk<3>, subk<4>, subk<5>, //
    mulk<0>, mulk<1>, mulk<2>, mulk<3>, mulk<4>, mulk<5>, //
    divk<0>, divk<1>, divk<2>, divk<3>, divk<4>, divk<5>};
