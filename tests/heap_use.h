// Bytes of heap in use now, from whichever allocator the build runs on.
#pragma once

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define DRAPELLE_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DRAPELLE_SANITIZER_HEAP 1
#endif

#ifdef DRAPELLE_SANITIZER_HEAP
#include <sanitizer/allocator_interface.h>
inline std::size_t heapInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
#include <malloc.h>
inline std::size_t heapInUse() { return mallinfo2().uordblks; }
#endif
