// Counts heap allocations, so that a test or benchmark can show a stretch of
// frames makes none.
#include <atomic>
#include <cstdlib>
#include <new>

#include "simhost/simhost.h"

// ThreadSanitizer's runtime defines the allocation functions itself.
#ifndef __has_feature // GCC's sanitizers say so by other macros
#define __has_feature(feature) 0
#endif
#if defined(__SANITIZE_THREAD__) || __has_feature(thread_sanitizer)
#define DRAPELLE_COUNT_ALLOCATIONS 0
#else
#define DRAPELLE_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long long> allocationCount{0}; // calls of operator new since the program started

[[maybe_unused]] void* allocate(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

[[maybe_unused]] void release(void* p) { std::free(p); }
} // namespace

namespace sim {
bool countsHeapAllocations() { return DRAPELLE_COUNT_ALLOCATIONS; }
long long heapAllocations() { return allocationCount.load(std::memory_order_relaxed); }
} // namespace sim

#if DRAPELLE_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
#endif
