// How an argument travels to a native and how its result comes back: every
// argument is one 64-bit slot, every result is read from the low 32 bits of
// the returned slot before anything else is called.
#pragma once

#include <cstdint>
#include <cstring>

#include "host/script_host.h"

// A 32-bit value zero-extended: a negative int must not sign-extend into the
// high half.
inline UINT64 toSlot(std::int32_t value) { return static_cast<std::uint32_t>(value); }
inline UINT64 toSlot(bool value) { return value ? 1u : 0u; }

// A float travels as its single-precision bit pattern in a zeroed slot.
inline UINT64 toSlot(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// An int the native fills in, and a text it reads until the call returns:
// their addresses.
inline UINT64 toSlot(std::int32_t* out) { return reinterpret_cast<std::uintptr_t>(out); }
inline UINT64 toSlot(const char* text) { return reinterpret_cast<std::uintptr_t>(text); }

// Doubles would silently narrow; every float argument is spelt as a float.
UINT64 toSlot(double) = delete;

// Runs one native and returns the low 32 bits of its result slot.
template <typename... Args> std::uint32_t invokeNative(UINT64 hash, Args... args) {
    nativeInit(hash);
    (nativePush64(toSlot(args)), ...);
    return static_cast<std::uint32_t>(*nativeCall());
}

template <typename... Args> std::int32_t invokeNativeInt(UINT64 hash, Args... args) {
    return static_cast<std::int32_t>(invokeNative(hash, args...));
}

template <typename... Args> float invokeNativeFloat(UINT64 hash, Args... args) {
    std::uint32_t bits = invokeNative(hash, args...);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
