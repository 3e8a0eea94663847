// Drives the whole plug-in in the stand-in host from random input: key
// messages with any code and flags, between frames or between a frame's
// natives, clock jumps of any size, frames, death and arrest, any screen size,
// any wardrobe, reloads. After every step it checks
// what must always hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "../frame_shape.h"
#include "clothing/slots.h"
#include "harness/linked_plugin.h"
#include "host/script.h"
#include "input/key_table.h"
#include "simhost/game.h"
#include "simhost/simhost.h"
#include "ui/menus.h"

namespace {

// Drapelle's keys, and those a player hits beside them: the keypad's other
// digits, what it sends with NumLock off (arrows, Clear, Insert), Enter, Escape.
constexpr DWORD kKeys[] = {kMenuKey,    kKeyNumpad5, kKeyNumpad0, kKeyBackspace, kKeyNumpad8,
                           kKeyNumpad2, 0x61,        0x63,        0x64,          0x66,
                           0x67,        0x69,        0x25,        0x26,          0x27,
                           0x28,        0x0C,        0x2D,        0x0D,          0x1B};
bool wasHeld = false; // the character was dead or arrested in the previous frame
bool attached = false;

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    for (const std::string& call : sim::describeCalls(sim::lastFrame()))
        std::fprintf(stderr, "  %s\n", call.c_str());
    std::abort();
}

void checkState() {
    if (mainMenuIndex < 0 || mainMenuIndex >= kMainMenuRows) fail("top menu index out of range");
    if (clothingMenuIndex < 0 || clothingMenuIndex >= kClothingMenuRows)
        fail("clothing menu index out of range");
    if (findSlot(currentSlotName) < 0)
        fail("current slot not one of the twelve", std::string(currentSlotName));
    if (currentSlotId < 0 || currentSlotId > 11) fail("current slot id out of range");
    if (!sim::protocolErrors().empty()) fail("protocol", sim::protocolErrors().front());
}

void runCheckedFrame() {
    const sim::Game& game = sim::game();
    const bool held = game.dead || game.arrested;
    FrameContext context;
    context.screenValid = game.screenWidth > 0 && game.screenHeight > 0;
    context.dead = game.dead;
    context.held = held && wasHeld;
    sim::runFrame();
    wasHeld = held;
    if (!attached) {
        if (!sim::lastFrame().calls.empty()) fail("natives called with no plug-in loaded");
    } else {
        const std::string shape = checkFrameShape(sim::lastFrame(), context);
        if (!shape.empty()) fail("frame shape:", shape);
    }
    checkState();
}

void load() {
    harness::resetPluginState();
    sim::attach(DllMain);
    attached = true;
    wasHeld = false;
}

std::int32_t anyCount(FuzzedDataProvider& input) {
    const std::int32_t picks[] = {0, 1, 2, 3, -1, INT_MIN, INT_MAX, INT_MAX - 1, 46};
    return input.ConsumeBool() ? picks[input.ConsumeIntegralInRange<int>(0, 8)]
                               : input.ConsumeIntegral<std::int32_t>();
}

DWORD anyKey(FuzzedDataProvider& input) {
    return input.ConsumeIntegralInRange<int>(0, 3) > 0
               ? kKeys[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)]
               : input.ConsumeIntegral<DWORD>();
}

void step(FuzzedDataProvider& input) {
    sim::Game& game = sim::game();
    switch (input.ConsumeIntegralInRange<int>(0, 13)) {
    case 0:
        sim::sendKeyMessage(anyKey(input), input.ConsumeIntegral<BOOL>(),
                            input.ConsumeIntegral<BOOL>(), input.ConsumeIntegral<BOOL>());
        break;
    case 1:
        sim::keyDown(anyKey(input));
        break;
    case 2:
        sim::keyUp(anyKey(input));
        break;
    case 3:
        sim::advance(input.ConsumeIntegral<DWORD>());
        break;
    case 4:
    case 5:
        for (int frames = input.ConsumeIntegralInRange<int>(1, 40); frames > 0; --frames)
            runCheckedFrame();
        break;
    case 6:
        game.dead = input.ConsumeBool();
        break;
    case 7:
        game.arrested = input.ConsumeBool();
        break;
    case 8:
        game.screenWidth = anyCount(input);
        game.screenHeight = anyCount(input);
        break;
    case 9: {
        const std::int32_t component = input.ConsumeBool()
                                           ? input.ConsumeIntegralInRange<std::int32_t>(0, 11)
                                           : anyCount(input);
        sim::Component& entry = game.catalogue[component];
        entry.drawableCount = anyCount(input);
        entry.textureCounts.assign(input.ConsumeIntegralInRange<std::size_t>(0, 4),
                                   anyCount(input));
        entry.otherTextureCount = anyCount(input);
        break;
    }
    case 10:
        sim::setVariation(game.playerPed, input.ConsumeIntegralInRange<std::int32_t>(0, 11),
                          {anyCount(input), anyCount(input), anyCount(input)});
        break;
    case 11:
        // Unload and load again: the statics start afresh, as a new load's do.
        sim::detach();
        attached = false;
        if (input.ConsumeBool()) runCheckedFrame();
        load();
        break;
    case 12:
        sim::setFrameTime(input.ConsumeIntegralInRange<DWORD>(0, 2000));
        break;
    case 13:
        // Key messages from here arrive between a frame's natives, or at once.
        sim::setKeysMidFrame(input.ConsumeBool(), input.ConsumeIntegral<std::uint32_t>());
        break;
    }
    checkState();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    sim::reset();
    load();
    sim::setTick(input.ConsumeIntegral<DWORD>());
    for (int steps = 0; steps < 400 && input.remaining_bytes() > 0; ++steps) step(input);
    sim::detach();
    attached = false;
    return 0;
}
