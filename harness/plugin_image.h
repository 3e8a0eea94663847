// What the runner reads from the plug-in's PE image, on disk and once loaded:
// where it asks to be loaded, the libraries and functions it imports, and
// whether its stack cookie was set.
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

// For a module the loader has attached: empty when its load configuration
// names no stack cookie or the cookie no longer holds the value it was built
// with; otherwise what is wrong.
std::string checkStackCookie(HMODULE module);

// For a module built with Control Flow Guard: empty when `function`, which the
// module handed out, is in its table of valid call targets (Windows stops the
// process at an indirect call to any other); otherwise what is wrong, naming
// the function as `what`.
std::string checkGuardTarget(HMODULE module, const void* function, const std::string& what);

} // namespace harness
