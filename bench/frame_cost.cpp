// frame_cost STATE FRAMES [floor]: runs FRAMES frames of one state, for
// counting instructions under callgrind (bench/callgrind).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "harness/frame_states.h"
#include "harness/linked_plugin.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_cost closed|top_menu|clothing FRAMES [floor]\n");
        return 2;
    }
    const harness::State state = std::strcmp(argv[1], "closed") == 0 ? harness::State::Closed
                                 : std::strcmp(argv[1], "top_menu") == 0
                                     ? harness::State::TopMenu
                                     : harness::State::ClothingMenu;
    harness::useLinkedPlugin();
    const bool floor = argc > 3 && std::strcmp(argv[3], "floor") == 0;
    floor ? harness::enterFloor(state) : harness::enterState(state);
    const int frames = std::atoi(argv[2]);
    // Only the measured frames count; run with --collect-atstart=no.
    CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < frames; ++i) sim::runFrame();
    CALLGRIND_TOGGLE_COLLECT;
    harness::leave();
    return 0;
}
