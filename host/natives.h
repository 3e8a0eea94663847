// The game's natives that Drapelle uses, one wrapper each, named for its role.
#pragma once

#include <cstdint>

#include "host/platform.h"

// Player and character.
std::int32_t playerPed();
bool isEntityDead(std::int32_t entity);
std::int32_t playerIndex();
bool isPlayerBeingArrested(std::int32_t player, bool atArresting);

// Screen and text output.
void screenResolution(std::int32_t* width, std::int32_t* height);
void setTextFont(std::int32_t font);
// Menu rows pass 0.0 and their scale; the status line passes its scale twice.
void setTextScale(float firstScale, float scale);
void setTextColour(std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t a);
void setTextWrap(float left, float right);
void setTextCentred(bool centred);
void setTextDropShadow(std::int32_t distance, std::int32_t r, std::int32_t g, std::int32_t b,
                       std::int32_t a);
// The outline colour is always black; only its kind and alpha vary.
void setTextEdge(std::int32_t kind, std::int32_t alpha);
void beginTextDisplay(const char* label);
void addPlainText(const char* text);
void drawPendingText(float x, float y);
void beginTextLineCount(const char* label);
std::int32_t finishLineCount(float x, float y);
float characterHeight(float scale, std::int32_t font);
void drawRectangle(float centreX, float centreY, float width, float height, std::int32_t r,
                   std::int32_t g, std::int32_t b, std::int32_t a);

// Component variations of a ped.
std::int32_t pedDrawable(std::int32_t ped, std::int32_t component);
std::int32_t pedTexture(std::int32_t ped, std::int32_t component);
std::int32_t pedDrawableCount(std::int32_t ped, std::int32_t component);
std::int32_t pedTextureCount(std::int32_t ped, std::int32_t component, std::int32_t drawable);
void setPedDefaultVariation(std::int32_t ped);

// Set a ped's component variation: ped, component, drawable, texture, palette.
constexpr UINT64 kSetPedVariationNative = 0x262B14F48D29DE80;
// The one wrapper not named for its native's role, as the design names it:
// the clothing steps call it with kSetPedVariationNative, its four int
// arguments and a fifth of 0, the palette. Returns the result's low 32 bits.
std::int32_t callNative5(UINT64 hash, std::int32_t a, std::int32_t b, std::int32_t c,
                         std::int32_t d);
