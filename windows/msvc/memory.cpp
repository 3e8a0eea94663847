// The memory functions the compiler calls for copies and comparisons it does
// not inline. The C runtime Microsoft supports for applications keeps them in
// vcruntime140.dll, which Windows does not ship; Microsoft's own "hybrid"
// linking puts them in the image instead, as here. Built with -fno-builtin,
// so that no loop below is turned back into a call to itself.
#include <intrin.h>

#include <cstddef>

extern "C" void* memcpy(void* to, const void* from, std::size_t count) {
    __movsb(static_cast<unsigned char*>(to), static_cast<const unsigned char*>(from), count);
    return to;
}

// Backwards where the destination starts inside the source.
extern "C" void* memmove(void* to, const void* from, std::size_t count) {
    unsigned char* target = static_cast<unsigned char*>(to);
    const unsigned char* source = static_cast<const unsigned char*>(from);
    if (target <= source || target >= source + count) {
        __movsb(target, source, count);
        return to;
    }
    while (count-- > 0) target[count] = source[count];
    return to;
}

extern "C" void* memset(void* to, int value, std::size_t count) {
    __stosb(static_cast<unsigned char*>(to), static_cast<unsigned char>(value), count);
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
