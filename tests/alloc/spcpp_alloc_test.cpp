// Set and query commands allocate nothing: this binary replaces the global
// operator new (and, outside sanitizer builds, malloc) with counting versions.
#include "core/spcpp_fixture.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VEMO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VEMO_SANITIZED 1
#endif
#endif

namespace {
std::atomic<long> allocations{0};

void *counted(std::size_t n)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void *counted_aligned(std::size_t n, std::size_t align)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    void *p = nullptr;
    if (posix_memalign(&p, align < sizeof(void *) ? sizeof(void *) : align, n ? n : 1) != 0)
        throw std::bad_alloc();
    return p;
}
} // namespace

void *operator new(std::size_t n)
{
    return counted(n);
}
void *operator new[](std::size_t n)
{
    return counted(n);
}
void *operator new(std::size_t n, const std::nothrow_t &) noexcept
{
    try {
        return counted(n);
    }
    catch (...) {
        return nullptr;
    }
}
void *operator new[](std::size_t n, const std::nothrow_t &t) noexcept
{
    return operator new(n, t);
}
void *operator new(std::size_t n, std::align_val_t a)
{
    return counted_aligned(n, (std::size_t)a);
}
void *operator new[](std::size_t n, std::align_val_t a)
{
    return counted_aligned(n, (std::size_t)a);
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}

#ifndef VEMO_SANITIZED
// glibc's own entry points; every library's malloc comes through here.
extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void __libc_free(void *);

void *malloc(std::size_t n)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
void *calloc(std::size_t n, std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
void *realloc(void *p, std::size_t n)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
void free(void *p)
{
    __libc_free(p);
}
}
#endif

namespace {

using SpcppAlloc = Spcpp;

TEST_F(SpcppAlloc, CountingSeesAllocations)
{
    long before = allocations.load();
    delete new int(1);
    EXPECT_GE(allocations.load() - before, 1);
#ifndef VEMO_SANITIZED
    before = allocations.load();
    void *volatile p = std::malloc(16);
    std::free(p);
    EXPECT_GE(allocations.load() - before, 1);
#endif
}

TEST_F(SpcppAlloc, SetAndQueryCommandsAllocateNothing)
{
    T_Item *item = new_item();
    T_Item *other = new_item();
    char typed[64];
    std::snprintf(typed, sizeof typed, "T_Item 0x%llX -l 3 -o 0x00A57BBD -l",
                  (unsigned long long)(uintptr_t)item);
    int l = 0;
    float f = 0;
    const char *s = nullptr;
    void *o = nullptr;
    char area[256];

    long before = allocations.load();
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(spcpp("%o -f %f", item, 1000.0 + round), ZR_OK);
        ASSERT_EQ(
            spcpp("%o -l %i -limit 5 -f 2.5e3 -s %s -s word -o %o", item, round, "text", other),
            ZR_OK);
        ASSERT_EQ(
            spcpp("%o -l -f -s -o -nothing -raw -a", item, &l, &f, &s, &o, (void *)nullptr, &l),
            ZR_OK);
        ASSERT_EQ(spcpp("T_Base %o -a %i -a", item, round, &l), ZR_OK);
        int capacity = sizeof area;
        ASSERT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, typed, area, &capacity, nullptr), ZR_OK);
        capacity = 0;
        ASSERT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, typed, area, &capacity, nullptr),
                  ZR_ERROR_COMMAND_NOT_SPACE);
    }
    long used = allocations.load() - before;
    EXPECT_EQ(used, 0);
    EXPECT_EQ(l, 99); // -a, the last query
}

} // namespace
