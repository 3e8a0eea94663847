#include <string>
#include <vector>

#include "harness/plugin_image.h"
#include "harness/windows_plugin.h"
#include "simhost/import_patch.h"
#include "simhost/simhost.h"

extern "C" DWORD WINAPI simulatedTickCount(void);

namespace harness {

namespace {

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameName(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// The file name of this stand-in host library, which the runner lives in.
std::string standInHostName() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&standInHostName), &self);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, sizeof path);
    return baseName(path);
}

// Each imported library that cannot be loaded here, and each function missing
// from those that can, a line each; "" when all are there.
std::string explainMissingImports(const std::string& path) {
    const std::string plugin = baseName(path), host = standInHostName();
    const std::vector<ImportedLibrary> imports = readImports(path);
    bool importsStandIn = false;
    for (const ImportedLibrary& library : imports) importsStandIn |= sameName(library.name, host);
    std::string why;
    for (const ImportedLibrary& library : imports) {
        HMODULE found = LoadLibraryA(library.name.c_str());
        if (!found) {
            why += "\n" + plugin + " imports " + library.name + ", which is not loaded here";
            if (!importsStandIn)
                why += ": this runner's stand-in host is " + host +
                       " (configure both with the same DRAPELLE_HOST_LIBRARY)";
            continue;
        }
        for (const std::string& function : library.functions) {
            const bool byOrdinal = function[0] == '#';
            LPCSTR name =
                byOrdinal ? MAKEINTRESOURCEA(std::stoi(function.substr(1))) : function.c_str();
            if (!GetProcAddress(found, name))
                why += "\n" + plugin + " imports " + function + " from " + library.name +
                       ", which does not export it";
        }
        FreeLibrary(found);
    }
    return why;
}

} // namespace

HMODULE loadPlugin(const std::string& path, std::string& error) {
    // Windows refuses a DLL whose imports it cannot bind; Wine binds a missing
    // function to a stub that ends the process at its first call.
    if (const std::string missing = explainMissingImports(path); !missing.empty()) {
        error = "cannot load " + path +
                ": Windows would refuse it, as not all its imports are here" + missing;
        return nullptr;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        const DWORD code = GetLastError();
        char reason[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       reason, sizeof reason, nullptr);
        std::string why = reason;
        if (const std::size_t insert = why.find("%1"); insert != std::string::npos)
            why.replace(insert, 2, "it");
        why.erase(why.find_last_not_of("\r\n.") + 1);
        error = "cannot load " + path + ": " + (why.empty() ? "" : why + " ") + "(error " +
                std::to_string(code) + ")";
        return nullptr;
    }
    if (!sim::patchImport(module, "kernel32.dll", "GetTickCount",
                          reinterpret_cast<void*>(&simulatedTickCount))) {
        error = path + " does not import GetTickCount from kernel32.dll";
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

} // namespace harness
