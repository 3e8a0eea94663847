# Cross build for 64-bit Windows in Microsoft's ABI with Debian's clang-cl and
# lld-link, against Wine's Windows and C-runtime headers and import libraries
# and libc++'s headers: no file from Microsoft. Only the plug-in DLL is built
# this way; the stand-in host and its runner come from the mingw-w64 build.
include(${CMAKE_CURRENT_LIST_DIR}/dependencies.cmake)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
drapelle_find_program(CMAKE_C_COMPILER clang-cl-14 clang-14)
drapelle_find_program(CMAKE_CXX_COMPILER clang-cl-14 clang-14)
drapelle_find_program(CMAKE_LINKER lld-link-14 lld-14)
drapelle_find_program(CMAKE_RC_COMPILER llvm-rc-14 llvm-14)
drapelle_find_program(CMAKE_AR llvm-lib-14 llvm-14)
drapelle_find_program(CMAKE_MT llvm-mt-14 llvm-14)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)

# Wine's headers and import libraries stand in for the Windows SDK's.
set(DRAPELLE_WINE_INCLUDE /usr/include/wine/wine)
set(DRAPELLE_WINE_LIBRARIES /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
drapelle_find_path(DRAPELLE_WINE_WINDOWS_H windows.h libwine-dev
                   PATHS ${DRAPELLE_WINE_INCLUDE}/windows NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
drapelle_find_path(DRAPELLE_LIBCXX_HEADERS __config libc++-14-dev
                   PATHS /usr/lib/llvm-14/include/c++/v1 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
set(DRAPELLE_MSVC_WINE ON)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# No Windows SDK libraries by default: the DLL names the few it links.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "")
