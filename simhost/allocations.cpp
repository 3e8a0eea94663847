// Counts the program's heap allocations by replacing the global allocation
// functions, so that a test or benchmark can show a stretch of frames makes
// none. Linked into every program built on the stand-in host.
#include <atomic>
#include <cstdlib>
#include <new>

#include "simhost/simhost.h"

namespace {
std::atomic<long long> allocationCount{0}; // calls of operator new since the program started
} // namespace

namespace sim {
long long heapAllocations() { return allocationCount.load(std::memory_order_relaxed); }
} // namespace sim

void* operator new(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
