// The simulated game behind the stand-in host's natives.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "simhost/simhost.h"

namespace sim {

struct Variation {
    std::int32_t drawable = 0, texture = 0, palette = 0;
    bool operator==(const Variation&) const = default;
};

// What the game offers for one component id.
struct Component {
    std::int32_t drawableCount = 0;
    std::vector<std::int32_t> textureCounts;
    Variation defaults;
    std::int32_t otherTextureCount = 0; // for a drawable outside textureCounts
};

struct Game {
    std::int32_t playerPed = 0x2A01;
    // Strict: a new player's ped handle on every call, and any but the latest
    // refused, since a handle must never be kept.
    bool freshPedEachCall = false;
    std::int32_t latestPedHandle = 0;  // the last handle handed out in that mode
    std::uint32_t pedHandlesGiven = 0; // how many, which picks the next step
    bool dead = false;
    std::int32_t playerIndex = 0;
    bool arrested = false;
    std::int32_t screenWidth = 1280;
    std::int32_t screenHeight = 720;
    float characterHeightPerScale = 0.07f;       // screen fraction per unit of text scale
    std::optional<std::int32_t> forcedLineCount; // when set, what every line count says
    std::map<std::int32_t, Component> catalogue;
    std::map<std::pair<std::int32_t, std::int32_t>, Variation> variations; // (ped, component)
    std::int32_t lastComponentAsked = -1; // last read or set, marked in pictures
};

Game& game();
// What the game calls component `id` (0 to 11), or "component".
const char* componentName(std::int32_t id);
// The catalogue every fresh game starts with: twelve components.
void resetGame();
// A ped's variation of a component: what was set, else the catalogue's default.
Variation variationOf(std::int32_t ped, std::int32_t component);
void setVariation(std::int32_t ped, std::int32_t component, Variation variation);
// A painter's own layout (the Windows preview's GDI), so the count is the lines drawn.
using LineCounter = int (*)(const TextItem& text, int screenWidth, int screenHeight);
void setLineCounter(LineCounter counter);

bool isRecording();       // see sim::setRecording
Frame& frameInProgress(); // what the natives record into
void beginFrame();

struct NativeInfo {
    UINT64 hash;
    const char* name;
    // One letter per argument: i int, b bool, f float, s text, p int pointer.
    const char* args;
    UINT64 (*run)(const UINT64* args);
};

const NativeInfo* findNative(UINT64 hash);

} // namespace sim
