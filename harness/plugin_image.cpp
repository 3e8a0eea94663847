#include "harness/plugin_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "simhost/simhost.h"

namespace harness {
namespace {

// Every /GS image's cookie as built, which the loader or its start-up replaces.
constexpr std::uint64_t kBuiltCookie = 0x00002B992DDFA232;

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The 64-bit NT headers within `size` bytes at `image`, or null when none are.
const IMAGE_NT_HEADERS64* ntHeaders(const unsigned char* image, std::size_t size) {
    if (size < sizeof(IMAGE_DOS_HEADER)) return nullptr;
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, image, sizeof dos);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
        static_cast<std::size_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > size)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image + dos.e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return nullptr;
    // The section table, which every address is found through, within the file.
    const auto* sections = reinterpret_cast<const unsigned char*>(IMAGE_FIRST_SECTION(nt));
    if (static_cast<std::size_t>(sections - image) +
            std::size_t{nt->FileHeader.NumberOfSections} * sizeof(IMAGE_SECTION_HEADER) >
        size)
        return nullptr;
    return nt;
}

// The file offset of a relative virtual address; 0 when no section holds it.
std::size_t fileOffset(const IMAGE_NT_HEADERS64* nt, DWORD rva) {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
            return rva - section->VirtualAddress + section->PointerToRawData;
    }
    return 0;
}

// The NUL-ended text at a relative virtual address, or "" outside the file.
std::string textAt(const std::vector<unsigned char>& image, const IMAGE_NT_HEADERS64* nt,
                   DWORD rva) {
    const std::size_t at = fileOffset(nt, rva);
    if (at == 0 || at >= image.size()) return "";
    const char* begin = reinterpret_cast<const char*>(image.data() + at);
    return std::string(begin, strnlen(begin, image.size() - at));
}

std::vector<std::string> importedFunctions(const std::vector<unsigned char>& image,
                                           const IMAGE_NT_HEADERS64* nt, DWORD thunks) {
    std::vector<std::string> functions;
    for (std::size_t at = fileOffset(nt, thunks); at != 0 && at + 8 <= image.size(); at += 8) {
        std::uint64_t thunk;
        std::memcpy(&thunk, image.data() + at, sizeof thunk);
        if (thunk == 0) break;
        functions.push_back(thunk & IMAGE_ORDINAL_FLAG64
                                ? std::string(1, '#').append(std::to_string(thunk & 0xFFFF))
                                : textAt(image, nt, static_cast<DWORD>(thunk) + 2));
    }
    return functions;
}

// Fields of the 64-bit load configuration that the checks read.
constexpr std::size_t kCookieField = 0x58;        // SecurityCookie
constexpr std::size_t kFunctionTableField = 0x80; // GuardCFFunctionTable
constexpr std::size_t kFunctionCountField = 0x88; // GuardCFFunctionCount
constexpr std::size_t kGuardFlagsField = 0x90;    // GuardFlags, 32 bits

// A field of the loaded module's load configuration (the flags 32 bits, the
// rest 64); false when it has none or one too short.
bool readLoadConfig(HMODULE module, std::size_t field, std::uint64_t& value) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const IMAGE_NT_HEADERS64* nt = ntHeaders(base, SIZE_MAX);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
    if (directory.VirtualAddress == 0) return false;
    DWORD size;
    std::memcpy(&size, base + directory.VirtualAddress, sizeof size);
    const std::size_t width = field == kGuardFlagsField ? 4 : 8;
    if (size < field + width) return false;
    value = 0;
    std::memcpy(&value, base + directory.VirtualAddress + field, width);
    return true;
}

} // namespace

bool readPreferredRange(const std::string& path, std::uint64_t& base, std::uint64_t& size,
                        std::string& error) {
    const std::vector<unsigned char> image = readFile(path);
    const IMAGE_NT_HEADERS64* nt = ntHeaders(image.data(), image.size());
    if (!nt) {
        error = path + " is not a 64-bit Windows DLL";
        return false;
    }
    base = nt->OptionalHeader.ImageBase;
    size = nt->OptionalHeader.SizeOfImage;
    return true;
}

std::vector<ImportedLibrary> readImports(const std::string& path) {
    const std::vector<unsigned char> image = readFile(path);
    const IMAGE_NT_HEADERS64* nt = ntHeaders(image.data(), image.size());
    if (!nt) return {};
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<ImportedLibrary> libraries;
    std::size_t at = fileOffset(nt, directory.VirtualAddress);
    for (; at != 0 && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size();
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR entry;
        std::memcpy(&entry, image.data() + at, sizeof entry);
        if (entry.Name == 0) break;
        const DWORD thunks = entry.OriginalFirstThunk ? entry.OriginalFirstThunk : entry.FirstThunk;
        libraries.push_back({textAt(image, nt, entry.Name), importedFunctions(image, nt, thunks)});
    }
    return libraries;
}

std::string checkStackCookie(HMODULE module) {
    std::uint64_t cookieAddress = 0;
    if (!readLoadConfig(module, kCookieField, cookieAddress) || cookieAddress == 0) return "";
    std::uint64_t cookie;
    std::memcpy(&cookie, reinterpret_cast<const void*>(cookieAddress), sizeof cookie);
    if (cookie != kBuiltCookie) return "";
    return "the stack cookie at " + sim::hex(cookieAddress) +
           " still holds the value it was built with after DllMain";
}

std::string checkGuardTarget(HMODULE module, const void* function, const std::string& what) {
    constexpr std::uint64_t kInstrumented = 0x100; // IMAGE_GUARD_CF_INSTRUMENTED
    constexpr unsigned kEntryExtraShift = 28;      // bytes after each entry's RVA
    std::uint64_t flags = 0, table = 0, count = 0;
    if (!readLoadConfig(module, kGuardFlagsField, flags) || !(flags & kInstrumented)) return "";
    readLoadConfig(module, kFunctionTableField, table);
    readLoadConfig(module, kFunctionCountField, count);
    const std::uint64_t rva =
        reinterpret_cast<std::uintptr_t>(function) - reinterpret_cast<std::uintptr_t>(module);
    const std::size_t stride = 4 + (flags >> kEntryExtraShift & 0xF);
    for (std::uint64_t i = 0; i < count; ++i) {
        DWORD entry;
        std::memcpy(&entry, reinterpret_cast<const unsigned char*>(table) + i * stride,
                    sizeof entry);
        if (entry == rva) return "";
    }
    return what + " (RVA " + sim::hex(rva) + ") is not among the " + std::to_string(count) +
           " valid call targets of Control Flow Guard: Windows would end the game at the host's"
           " first call to it";
}

} // namespace harness
