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

// The kernels of one operator: on two blocks, and on a block and a constant.
template <class Op>
struct Arith {
    template <int Mode>
    static void blocks(const int32_t *in1, const int32_t *in2, int32_t *out, int n)
    {
        for (int i = 0; i < n; ++i)
            store<Mode>(out + i, Op::apply(in1[i], in2[i]));
    }

    template <int Mode>
    static void with_const(const int32_t *in, int32_t *out, int n, int32_t k)
    {
        for (int i = 0; i < n; ++i)
            store<Mode>(out + i, Op::apply(in[i], k));
    }
};

using Add = Arith<op_add>;
using Sub = Arith<op_sub>;
using Mul = Arith<op_mul>;
using Div = Arith<op_div>;
// The constant forms of add and sub wrap; only the two-block add saturates.
using AddWrap = Arith<op_addw>;

} // namespace

const ZR_kernel_binary_fn kernel_add[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Add::blocks);
const ZR_kernel_binary_fn kernel_sub[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Sub::blocks);
const ZR_kernel_binary_fn kernel_mul[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Mul::blocks);
const ZR_kernel_binary_fn kernel_div[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Div::blocks);
const ZR_kernel_const_fn kernel_addk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(AddWrap::with_const);
const ZR_kernel_const_fn kernel_subk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Sub::with_const);
const ZR_kernel_const_fn kernel_mulk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Mul::with_const);
const ZR_kernel_const_fn kernel_divk[ZR_MODE_COUNT] = ZR_KERNEL_VARIANTS(Div::with_const);

// Built from the templates directly so that the tables are constant-initialised.
const ZR_kernel_binary_fn kernel_oper[4 * ZR_MODE_COUNT] = {
    Add::blocks<0>, Add::blocks<1>, Add::blocks<2>, Add::blocks<3>, Add::blocks<4>, Add::blocks<5>,
    Sub::blocks<0>, Sub::blocks<1>, Sub::blocks<2>, Sub::blocks<3>, Sub::blocks<4>, Sub::blocks<5>,
    Mul::blocks<0>, Mul::blocks<1>, Mul::blocks<2>, Mul::blocks<3>, Mul::blocks<4>, Mul::blocks<5>,
    Div::blocks<0>, Div::blocks<1>, Div::blocks<2>, Div::blocks<3>, Div::blocks<4>, Div::blocks<5>};
const ZR_kernel_const_fn kernel_koef[4 * ZR_MODE_COUNT] = {
    AddWrap::with_const<0>, AddWrap::with_const<1>, AddWrap::with_const<2>, //
    AddWrap::with_const<3>, AddWrap::with_const<4>, AddWrap::with_const<5>, //
    Sub::with_const<0>,     Sub::with_const<1>,     Sub::with_const<2>,     //
    Sub::with_const<3>,     Sub::with_const<4>,     Sub::with_const<5>,     //
    Mul::with_const<0>,     Mul::with_const<1>,     Mul::with_const<2>,     //
    Mul::with_const<3>,     Mul::with_const<4>,     Mul::with_const<5>,     //
    Div::with_const<0>,     Div::with_const<1>,     Div::with_const<2>,     //
    Div::with_const<3>,     Div::with_const<4>,     Div::with_const<5>};
