// The memory functions the compiler calls for copies it does not inline. The
// C runtime Microsoft supports for applications keeps them in
// vcruntime140.dll, which Windows does not ship; Microsoft's own "hybrid"
// linking puts them in the image instead, as here. These two are the ones
// the link asks for today (memcmp for the optimisation across files, which
// then compares inline); a link that needs another (memmove, memset) fails
// naming it, and it belongs here. Built with -fno-builtin, so that the
// compiler does not turn a loop below back into a call to itself.
#include <intrin.h>

#include <cstddef>

extern "C" void* memcpy(void* to, const void* from, std::size_t count) {
    __movsb(static_cast<unsigned char*>(to), static_cast<const unsigned char*>(from), count);
    return to;
}

extern "C" int memcmp(const void* left, const void* right, std::size_t count) {
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}
