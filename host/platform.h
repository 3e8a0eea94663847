// The Windows types the host library's exports are declared with. On Windows
// they come from <windows.h>; elsewhere (the stand-in host on Linux) this file
// supplies stand-ins of the same widths, and the stand-in supplies the clock.
#pragma once

#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using BOOL = int;
using LPVOID = void*;
using UINT64 = unsigned long long;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define WINAPI

// Milliseconds since the machine started, wrapping every 2^32 ms.
extern "C" DWORD GetTickCount(void);
#endif

static_assert(sizeof(DWORD) == 4 && sizeof(WORD) == 2 && sizeof(BYTE) == 1);
static_assert(sizeof(BOOL) == 4 && sizeof(UINT64) == 8);
