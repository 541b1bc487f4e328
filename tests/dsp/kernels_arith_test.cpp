// Arithmetic, operator-table and copy kernels against plain per-sample references.
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "kernels_test_util.h"

namespace {

using BinaryRef = int32_t (*)(int32_t, int32_t);

int32_t ref_sub(int32_t u, int32_t v)
{
    return kref::wrap(int64_t{u} - v);
}
int32_t ref_add_wrap(int32_t u, int32_t v)
{
    return kref::wrap(int64_t{u} + v);
}

struct BinaryCase {
    const char *name;
    const ZR_kernel_binary_fn *table;
    BinaryRef ref;
};
const BinaryCase kBinary[] = {{"add", kernel_add, kref::add_sat},
                              {"sub", kernel_sub, ref_sub},
                              {"mul", kernel_mul, kref::mul24},
                              {"div", kernel_div, kref::div24}};

struct ConstCase {
    const char *name;
    const ZR_kernel_const_fn *table;
    BinaryRef ref;
};
const ConstCase kConst[] = {{"addk", kernel_addk, ref_add_wrap},
                            {"subk", kernel_subk, ref_sub},
                            {"mulk", kernel_mulk, kref::mul24},
                            {"divk", kernel_divk, kref::div24}};

TEST(KernelArith, TwoBlockFamiliesMatchReference)
{
    const auto in1 = ktest::wild_signal(ktest::kLongLength, 11);
    // Gains and divisors around 2^24 as well as anything.
    auto in2 = ktest::wild_signal(ktest::kLongLength, 12);
    for (size_t i = 0; i < in2.size(); i += 3)
        in2[i] >>= 7;
    for (const auto &c : kBinary) {
        SCOPED_TRACE(c.name);
        ktest::Harness<int> h;
        h.initial = 0;
        h.kernel = [&](int pos, int n, int32_t *out, int &, int mode) {
            c.table[mode](in1.data() + pos, in2.data() + pos, out, n);
        };
        h.reference = [&](int pos, int &) { return c.ref(in1[pos], in2[pos]); };
        h.run();
    }
}

TEST(KernelArith, ConstantFamiliesMatchReference)
{
    const auto in = ktest::wild_signal(ktest::kLongLength, 13);
    for (const auto &c : kConst) {
        for (int32_t k : {0, 1, -1, 1 << 24, -(1 << 24), 16909320, INT32_MAX, INT32_MIN}) {
            SCOPED_TRACE(std::string(c.name) + " k " + std::to_string(k));
            ktest::Harness<int> h;
            h.initial = 0;
            h.kernel = [&](int pos, int n, int32_t *out, int &, int mode) {
                c.table[mode](in.data() + pos, out, n, k);
            };
            h.reference = [&](int pos, int &) { return c.ref(in[pos], k); };
            h.run();
        }
    }
}

TEST(KernelArith, OperatorTablesFollowAddSubMulDivOrder)
{
    for (int op = 0; op < 4; ++op) {
        for (int mode = 0; mode < 6; ++mode) {
            EXPECT_EQ(kernel_oper[op * 6 + mode], kBinary[op].table[mode]) << op << " " << mode;
            EXPECT_EQ(kernel_koef[op * 6 + mode], kConst[op].table[mode]) << op << " " << mode;
        }
    }
}

int32_t one(const ZR_kernel_binary_fn *table, int32_t u, int32_t v)
{
    int32_t out = 0;
    table[ZR_MODE_SET](&u, &v, &out, 1);
    return out;
}

TEST(KernelArith, AddSaturatesWhereSubWraps)
{
    EXPECT_EQ(one(kernel_add, INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(one(kernel_add, INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(one(kernel_add, INT32_MAX, INT32_MIN), -1);
    EXPECT_EQ(one(kernel_sub, INT32_MAX, -1), INT32_MIN);
    EXPECT_EQ(one(kernel_sub, INT32_MIN, 1), INT32_MAX);
    // The combination wraps even after a saturated y.
    int32_t a = INT32_MAX, b = 1, out = 1;
    kernel_add[ZR_MODE_ADD](&a, &b, &out, 1);
    EXPECT_EQ(out, INT32_MIN);
}

TEST(KernelArith, MulTreatsTwoToThe24AsUnity)
{
    for (int32_t x : {0, 1, -1, 12345, INT32_MAX, INT32_MIN})
        EXPECT_EQ(one(kernel_mul, x, 1 << 24), x);
    EXPECT_EQ(one(kernel_mul, INT32_MAX, INT32_MAX), INT32_MAX);
    EXPECT_EQ(one(kernel_mul, INT32_MAX, INT32_MIN), INT32_MIN);
    EXPECT_EQ(one(kernel_mul, -1, 1), -1); // floor, not truncation
    EXPECT_EQ(one(kernel_mul, 1 << 30, (1 << 24) * 2 - 1), INT32_MAX - (1 << 6) + 1);
}

TEST(KernelArith, DivKeepsDivisorNonZeroAndSaturates)
{
    EXPECT_EQ(one(kernel_div, 0, 0), 1 << 24);
    EXPECT_GT(one(kernel_div, 0, 1000), 0);
    EXPECT_EQ(one(kernel_div, 0, 1000), (1 << 24) / 1001);
    EXPECT_EQ(one(kernel_div, 1 << 24, 0), INT32_MAX);
    EXPECT_EQ(one(kernel_div, -(1 << 24), 0), INT32_MIN);
    EXPECT_EQ(one(kernel_div, -1000, -1000), 1 << 24);
    EXPECT_EQ(one(kernel_div, -1000, 1000), -(1 << 24));
    EXPECT_EQ(one(kernel_div, 1000, -1000), -(1 << 24));
    // Extreme operands follow the same rule and never fault.
    EXPECT_EQ(one(kernel_div, INT32_MIN, INT32_MIN), 1 << 24);
    EXPECT_EQ(one(kernel_div, INT32_MAX, INT32_MIN), -((1 << 24) - 1));
    EXPECT_EQ(one(kernel_div, INT32_MIN, -1), INT32_MAX);
    EXPECT_EQ(one(kernel_div, INT32_MIN, 0), INT32_MIN);
}

TEST(KernelCopy, StridedCopyMatchesReference)
{
    const auto in = ktest::wild_signal(3 * ktest::kLongLength, 14);
    for (int is : {1, 2, 3}) {
        for (int os : {1, 2}) {
            SCOPED_TRACE("strides " + std::to_string(is) + " " + std::to_string(os));
            for (int mode = 0; mode < 6; ++mode) {
                for (int n : ktest::odd_lengths()) {
                    std::vector<int32_t> out = ktest::wild_signal(static_cast<size_t>(n) * os, 15),
                                         want = out;
                    for (int i = 0; i < n; ++i)
                        want[i * os] = kref::combine(mode, want[i * os], in[i * is]);
                    kernel_copy[mode](in.data(), out.data(), n, is, os);
                    ASSERT_EQ(out, want) << "mode " << mode << " length " << n;
                }
            }
        }
    }
}

// Within one buffer, the copy behaves as the ascending per-sample loop for every overlap: a
// source ahead of the target shifts, one behind it repeats.
TEST(KernelCopy, OverlappingContiguousCopyIsAscending)
{
    for (int shift = -5; shift <= 5; ++shift) {
        for (int n : {1, 2, 7, 64, 333}) {
            std::vector<int32_t> buf = ktest::wild_signal(static_cast<size_t>(n) + 10, 16);
            std::vector<int32_t> want = buf;
            const int from = 5, to = 5 + shift;
            for (int i = 0; i < n; ++i)
                want[to + i] = want[from + i];
            kernel_copy[ZR_MODE_SET](buf.data() + from, buf.data() + to, n, 1, 1);
            ASSERT_EQ(buf, want) << "shift " << shift << " length " << n;
        }
    }
}

} // namespace
