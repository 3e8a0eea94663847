// What the runner reads from the plug-in's PE image, on disk and once loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/platform.h"

namespace harness {

// The preferred base and size of the image in the file at `path`; false, with
// the reason in `error`, when it is not a 64-bit PE image.
bool readPreferredRange(const std::string& path, std::uint64_t& base, std::uint64_t& size,
                        std::string& error);

struct ImportedLibrary {
    std::string name;
    std::vector<std::string> functions; // by name; "#N" for one imported by ordinal
};

// The import table of the file at `path`; empty when it cannot be read.
std::vector<ImportedLibrary> readImports(const std::string& path);

// What is wrong with a loaded module's stack cookie (still its built value), or "".
std::string checkStackCookie(HMODULE module);

// Under Control Flow Guard, what is wrong when `function`, which the module
// handed out, is not a valid call target (Windows stops the process at an
// indirect call to it), naming it `what`; otherwise "".
std::string checkGuardTarget(HMODULE module, const void* function, const std::string& what);

} // namespace harness
