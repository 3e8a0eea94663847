// drapelle-play: a window showing the stand-in scene and everything Drapelle
// draws, driven by the real keyboard, frame by frame at about 60 per second.
#include <SDL.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>

#include "harness/key_names.h"
#include "host/script.h"
#include "simhost/game.h"
#include "simhost/picture/render.h"
#include "simhost/screen.h"
#include "simhost/simhost.h"
#include "tools/command_line.h"

namespace {

constexpr WORD kExtended = 0x100; // beside a code: the key comes with the extended flag
constexpr WORD E = kExtended;

// Windows' virtual-key codes of the keys from Return to Application, in SDL's
// order of them (the USB one): Return, Escape, Backspace, Tab, Space; - = [ ]
// \ # ; ' ` , . /; CapsLock, F1-F12; PrintScreen, ScrollLock, Pause; Insert,
// Home, PageUp, Delete, End, PageDown; Right, Left, Down, Up; NumLock and the
// keypad's / * - + Enter 1-9 0 . (its digits and point as NumLock on sends
// them); the key left of Z, Application.
constexpr WORD kReturnToApplication[] = {
    0x0D,     0x1B,     0x08,     0x09,     0x20,     0xBD,     0xBB,     0xDB,     0xDD,
    0xDC,     0xDC,     0xBA,     0xDE,     0xC0,     0xBC,     0xBE,     0xBF,     0x14,
    0x70,     0x71,     0x72,     0x73,     0x74,     0x75,     0x76,     0x77,     0x78,
    0x79,     0x7A,     0x7B,     0x2C | E, 0x91,     0x13,     0x2D | E, 0x24 | E, 0x21 | E,
    0x2E | E, 0x23 | E, 0x22 | E, 0x27 | E, 0x25 | E, 0x28 | E, 0x26 | E, 0x90 | E, 0x6F | E,
    0x6A,     0x6D,     0x6B,     0x0D | E, 0x61,     0x62,     0x63,     0x64,     0x65,
    0x66,     0x67,     0x68,     0x69,     0x60,     0x6E,     0xE2,     0x5D | E};
static_assert(std::size(kReturnToApplication) ==
              SDL_SCANCODE_APPLICATION - SDL_SCANCODE_RETURN + 1);
// Left and right Control, Shift, Alt and Windows key: Windows sends Control,
// Shift and Alt as one code for either side.
constexpr WORD kModifiers[] = {0x11, 0x10, 0x12, 0x5B | E, 0x11 | E, 0x10, 0x12 | E, 0x5C | E};
// The media and browser keys, from next track to favourites.
constexpr WORD kMedia[] = {0xB0, 0xB1, 0xB2, 0xB3, 0xAD, 0xB5, 0,    0xB4, 0xB7,
                           0xB6, 0xAA, 0xAC, 0xA6, 0xA7, 0xA9, 0xA8, 0xAB};
static_assert(std::size(kMedia) == SDL_SCANCODE_AC_BOOKMARKS - SDL_SCANCODE_AUDIONEXT + 1);

// The key message a Windows host would hand the plug-in for an SDL key event,
// with key 0 for a key that has no virtual-key code. Keys go by where they
// are on the keyboard, but letters by the layout, as Windows has them. SDL
// does not give the keyboard's own scan code, which Drapelle does not read.
sim::KeyMessage keyMessageFor(const SDL_KeyboardEvent& event) {
    const SDL_Keysym& key = event.keysym;
    const int code = key.scancode;
    WORD word = 0;
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) {
        word = static_cast<WORD>('A' + (key.sym - SDLK_a));
    } else if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        word = static_cast<WORD>('A' + (code - SDL_SCANCODE_A));
    } else if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_0) {
        word = static_cast<WORD>('0' + (code - SDL_SCANCODE_1 + 1) % 10);
    } else if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_PERIOD &&
               !(key.mod & KMOD_NUM)) {
        word = static_cast<WORD>(harness::kKeypadWithNumLockOff[code - SDL_SCANCODE_KP_1]);
    } else if (code >= SDL_SCANCODE_RETURN && code <= SDL_SCANCODE_APPLICATION) {
        word = kReturnToApplication[code - SDL_SCANCODE_RETURN];
    } else if (code >= SDL_SCANCODE_F13 && code <= SDL_SCANCODE_F24) {
        word = static_cast<WORD>(0x7C + (code - SDL_SCANCODE_F13));
    } else if (code >= SDL_SCANCODE_MUTE && code <= SDL_SCANCODE_VOLUMEDOWN) {
        const WORD volume[] = {0xAD, 0xAF, 0xAE}; // mute, up, down
        word = volume[code - SDL_SCANCODE_MUTE] | E;
    } else if (code >= SDL_SCANCODE_LCTRL && code <= SDL_SCANCODE_RGUI) {
        word = kModifiers[code - SDL_SCANCODE_LCTRL];
    } else if (code >= SDL_SCANCODE_AUDIONEXT && code <= SDL_SCANCODE_AC_BOOKMARKS) {
        word = kMedia[code - SDL_SCANCODE_AUDIONEXT] | E;
    }
    sim::KeyMessage message;
    message.key = word & 0xFF;
    message.isExtended = (word & kExtended) != 0;
    message.isWithAlt = (key.mod & KMOD_ALT) != 0;
    message.isUpNow = event.type == SDL_KEYUP;
    message.wasDownBefore = message.isUpNow || event.repeat;
    return message;
}

std::string clothingOverlay() {
    const sim::Game& world = sim::game();
    std::string text = "Character " + std::to_string(world.playerPed) + "  (F1 hides)";
    for (std::int32_t id = 0; id < 12; ++id) {
        const sim::Variation now = sim::variationOf(world.playerPed, id);
        text += "\n" + std::string(sim::componentName(id)) + ": drawable " +
                std::to_string(now.drawable) + ", texture " + std::to_string(now.texture) +
                ", palette " + std::to_string(now.palette);
    }
    return text + "\nscreen " + std::to_string(world.screenWidth) + " x " +
           std::to_string(world.screenHeight);
}

// Says why the window could not be opened; the status to exit with.
int cannotOpen(const std::string& why) {
    std::cerr << "drapelle-play: " << why << '\n';
    SDL_Quit();
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"", "drapelle-play"};
    std::string shots = ".";
    tools::setUpPreview(app, "  F1      show or hide the character's clothing, slot by slot\n",
                        ".png", shots);
    if (const int status = tools::parseCommandLine(app, argc, argv); status >= 0) return status;

    std::string error;
    if (!sim::loadFonts(error)) return cannotOpen(error);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return cannotOpen(SDL_GetError());
    SDL_Window* window = SDL_CreateWindow("Drapelle preview", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, 1280, 720, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (!renderer) return cannotOpen(SDL_GetError());
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;

    sim::attach(DllMain);
    bool overlay = false, running = true;
    bool numLockNoteShown = false;
    tools::runPreviewFrames(SDL_GetTicks, SDL_Delay, [&] {
        SDL_Event event;
        bool shoot = false;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
            if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
                const SDL_Keycode key = event.key.keysym.sym;
                const bool down = event.type == SDL_KEYDOWN;
                if (down && key == SDLK_ESCAPE) running = false;
                if (down && key == SDLK_F1 && !event.key.repeat) overlay = !overlay;
                if (down && key == SDLK_F12 && !event.key.repeat) shoot = true;
                const sim::KeyMessage message = keyMessageFor(event.key);
                if (!message.key) {
                    std::cout << "no Windows key code for "
                              << SDL_GetScancodeName(event.key.keysym.scancode) << ": not delivered"
                              << std::endl;
                    continue;
                }
                harness::passKeyMessage(message, numLockNoteShown);
            }
        }
        harness::followNumLockState((SDL_GetModState() & KMOD_NUM) != 0, numLockNoteShown);
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer, &width, &height);
        if (width != textureWidth || height != textureHeight) // still the last frame's size
            std::cout << "resolution: " << width << " x " << height << std::endl;
        harness::runPreviewFrame(width, height);

        picture::Image image = picture::renderFrame(sim::lastFrame());
        if (overlay) {
            // Top right, its 15 lines ending above the character's head (at
            // 0.38 of the height) and clear of the menu on any window size.
            const int pixels = std::clamp((height * 38 / 100 - 30) / 15, 10, 18);
            picture::drawOverlayText(image, clothingOverlay(), width - 24 * pixels, 20, pixels);
        }
        if (numLockNoteShown) // bottom left, clear of the menu and the status line
            picture::drawOverlayText(image, harness::kNumLockOffNote, 16, height - 40, 20);
        if (!texture || width != textureWidth || height != textureHeight) {
            if (texture) SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888,
                                        SDL_TEXTUREACCESS_STREAMING, image.width, image.height);
            textureWidth = width;
            textureHeight = height;
        }
        SDL_UpdateTexture(texture, nullptr, image.rgba.data(), image.width * 4);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        if (shoot) {
            tools::saveShot(shots, ".png", [&](const std::string& file, std::string& error) {
                picture::Image shot{
                    width, height,
                    std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
                if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ABGR8888,
                                         shot.rgba.data(), width * 4) == 0)
                    return picture::writePng(shot, file, error);
                error = std::string("cannot read the window: ") + SDL_GetError();
                return false;
            });
        }
        SDL_RenderPresent(renderer);
        return running;
    });
    sim::detach();
    if (texture) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return tools::previewStatus();
}
