// Rebinding a module's imported function, as the Windows loader binds it: how
// the stand-in hands a plug-in its simulated clock, and counts its calls into
// the C runtime's allocator.
#pragma once

#include "host/platform.h"

namespace sim {

// Points `module`'s import of `function` from `library` at `replacement`;
// false when the module does not import it.
bool patchImport(HMODULE module, const char* library, const char* function, void* replacement);

} // namespace sim
