#include "harness/frame_states.h"
#include "host/script.h"
#include "input/key_table.h"

namespace harness {

// The plug-in linked into the benchmark: a "load" puts its statics back as a
// fresh load would and runs its DllMain.
void useLinkedPlugin() {
    setLoader({[] {
                   for (DWORD key = 0; key < kKeyCount; ++key) clearKeyRecord(key);
                   sim::attach(DllMain);
               },
               [] { sim::detach(); }});
}

} // namespace harness
