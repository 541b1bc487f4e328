// Counts calls to the global allocation functions around processing and
// parameter changes: the real-time path must allocate nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "plugin_host.h"

// The replaced global operators below pair new with free on purpose; GCC
// cannot see that they replace the library's and warns.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void note()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

void *operator new(std::size_t n)
{
    note();
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n)
{
    return operator new(n);
}
void *operator new(std::size_t n, const std::nothrow_t &) noexcept
{
    note();
    return std::malloc(n ? n : 1);
}
void *operator new[](std::size_t n, const std::nothrow_t &t) noexcept
{
    return operator new(n, t);
}
void operator delete(void *p) noexcept
{
    note();
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    note();
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    note();
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    note();
    std::free(p);
}

// The C allocator too, where no sanitizer owns it.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
void *malloc(size_t n)
{
    note();
    return __libc_malloc(n);
}
void *calloc(size_t n, size_t m)
{
    note();
    return __libc_calloc(n, m);
}
void *realloc(void *p, size_t n)
{
    note();
    return __libc_realloc(p, n);
}
void free(void *p)
{
    if (p)
        note();
    __libc_free(p);
}
}
#endif

namespace {

TEST(Allocation, CounterSeesAllocations)
{
    counting = true;
    allocations = 0;
    // Through a volatile pointer: the compiler may drop a new/delete pair.
    int *volatile q = new int(3);
    delete q;
    void *p = std::malloc(10);
    std::free(p);
    counting = false;
    EXPECT_GE(allocations.load(), 2);
}

TEST(Allocation, NoneWhileProcessingAndChangingParameters)
{
    Plugin p;
    p.start(48000.0f);
    std::vector<float> in = noise(8192, 0.5, 1);
    std::vector<float> out0(8192), out1(8192);
    float *ins[] = {in.data()};
    float *outs[] = {out0.data(), out1.data()};
    AEffect *e = p.e;
    e->processReplacing(e, ins, outs, 4096); // the first block after open

    counting = true;
    allocations = 0;
    for (int32_t frames : {1, 7, 512, 513, 4096, 8192}) {
        e->setParameter(e, 1, frames % 2 ? 1.0f : 0.0f); // a glide
        e->processReplacing(e, ins, outs, frames);
        e->setParameter(e, 0, 0.0f);
        e->processReplacing(e, ins, outs, frames);
        e->setParameter(e, 0, 1.0f);
        e->setParameter(e, 1, 0.37f);
        e->processReplacing(e, ins, outs, frames);
        (void)e->getParameter(e, 1);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

} // namespace
