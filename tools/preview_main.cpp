// drapelle-play: a window showing the stand-in scene and everything Drapelle
// draws, driven by the real keyboard, frame by frame at about 60 per second.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "harness/key_names.h"
#include "host/script.h"
#include "simhost/game.h"
#include "simhost/picture/render.h"
#include "simhost/screen.h"
#include "simhost/simhost.h"
#include "tools/command_line.h"

namespace {

std::string description() {
    return "Opens a 1280 x 720 window with the stand-in game scene and runs Drapelle in it.\n" +
           harness::previewKeysHelp() +
           R"(Resize the window to change the screen resolution the game reports.

  F1      show or hide the character's clothing, slot by slot
  F12     save a screenshot of the window, shot-1.png, shot-2.png ... (see
          --shots); none is overwritten
  Escape  close the window (so does the window's close button)

Each change of the screen and of its size is logged on standard output.
)";
}

// The Windows virtual-key code the host would deliver for an SDL key, or 0.
// The keypad sends digits with NumLock on, arrows, Clear, Insert... with it
// off, as Windows has it.
DWORD virtualKeyFor(const SDL_Keysym& key) {
    const SDL_Scancode keypad[] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2,
                                   SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5,
                                   SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8,
                                   SDL_SCANCODE_KP_9};
    const DWORD numLockOff[] = {0x2D, 0x23, 0x28, 0x22, 0x25, 0x0C, 0x27, 0x24, 0x26, 0x21};
    for (DWORD digit = 0; digit < 10; ++digit) {
        if (key.scancode != keypad[digit]) continue;
        return (key.mod & KMOD_NUM) ? 0x60 + digit : numLockOff[digit];
    }
    switch (key.sym) {
    case SDLK_F9:
        return 0x78;
    case SDLK_BACKSPACE:
        return 0x08;
    case SDLK_RETURN:
        return 0x0D;
    case SDLK_SPACE:
        return 0x20;
    case SDLK_UP:
        return 0x26;
    case SDLK_DOWN:
        return 0x28;
    case SDLK_LEFT:
        return 0x25;
    case SDLK_RIGHT:
        return 0x27;
    default:
        break;
    }
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) return static_cast<DWORD>('A' + (key.sym - SDLK_a));
    if (key.sym >= SDLK_0 && key.sym <= SDLK_9) return static_cast<DWORD>('0' + (key.sym - SDLK_0));
    return 0;
}

// Whether an SDL key is one of the keypad's, which Windows sends without the
// extended flag whatever NumLock says.
bool isOnKeypad(const SDL_Keysym& key) {
    return key.scancode >= SDL_SCANCODE_KP_1 && key.scancode <= SDL_SCANCODE_KP_0;
}

std::string clothingOverlay() {
    const sim::Game& world = sim::game();
    std::string text = "Character " + std::to_string(world.playerPed) + "  (F1 hides)";
    for (std::int32_t id = 0; id < 12; ++id) {
        const sim::Variation now = sim::variationOf(world.playerPed, id);
        char line[96];
        std::snprintf(line, sizeof line, "\n%s: drawable %d, texture %d, palette %d",
                      sim::componentName(id), now.drawable, now.texture, now.palette);
        text += line;
    }
    return text + "\nscreen " + std::to_string(world.screenWidth) + " x " +
           std::to_string(world.screenHeight);
}

bool saveScreenshot(SDL_Renderer* renderer, int width, int height, const std::string& path) {
    picture::Image shot{width, height,
                        std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, shot.rgba.data(),
                             width * 4) != 0) {
        std::cerr << "drapelle-play: cannot read the window: " << SDL_GetError() << '\n';
        return false;
    }
    std::string error;
    const auto write = [&](const std::string& file) {
        return picture::writePng(shot, file, error);
    };
    if (!tools::writeWhole(path, write)) {
        std::cerr << "drapelle-play: " << error << '\n';
        return false;
    }
    std::cout << "screenshot: " << path << std::endl;
    return true;
}

// Says on standard output when the window's size or the screen changed, as a
// test reads it.
void logChanges(int width, int height, int& shownWidth, int& shownHeight, std::string& shown) {
    if (width != shownWidth || height != shownHeight)
        std::cout << "resolution: " << width << " x " << height << std::endl;
    shownWidth = width;
    shownHeight = height;
    const std::string line = sim::screenLine(sim::lastFrame());
    if (line == shown) return;
    std::cout << sim::screenReport(sim::lastFrame()) << std::endl;
    shown = line;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{description(), "drapelle-play"};
    tools::setUpCommandLine(app,
                            "0 when the window closed cleanly, 1 when the plug-in misused the\n"
                            "host's native-call protocol or no window could be opened, 2 on a\n"
                            "usage error.");
    std::string shots = ".";
    app.add_option("--shots", shots,
                   "Where F12 saves its screenshots, made when missing\n"
                   "(default: the current folder)")
        ->type_name("FOLDER")
        ->check(tools::outputFolder());
    if (const int status = tools::parseCommandLine(app, argc, argv); status >= 0) return status;

    std::string error;
    if (!sim::loadFonts(error)) {
        std::cerr << "drapelle-play: " << error << '\n';
        return 1;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "drapelle-play: " << SDL_GetError() << '\n';
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Drapelle preview", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, 1280, 720, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (!renderer) {
        std::cerr << "drapelle-play: " << SDL_GetError() << '\n';
        SDL_Quit();
        return 1;
    }
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;

    sim::reset();
    sim::setFrameTime(0);    // the clock follows real time instead
    sim::setKeyRepeat(0, 0); // the window system repeats held keys itself
    sim::attach(DllMain);
    bool overlay = false, running = true;
    harness::NumLockNote numLockNote;
    std::string shown = "\n"; // the screen as last logged; at first none, so the first is
    int shownWidth = 0, shownHeight = 0;
    Uint32 last = SDL_GetTicks();
    while (running) {
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
                const DWORD vk = virtualKeyFor(event.key.keysym);
                if (down && vk)
                    harness::followNumLock(vk, !isOnKeypad(event.key.keysym), numLockNote);
                if (vk) down ? sim::keyDown(vk) : sim::keyUp(vk);
            }
        }
        harness::followNumLockState((SDL_GetModState() & KMOD_NUM) != 0, numLockNote);
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer, &width, &height);
        sim::game().screenWidth = width;
        sim::game().screenHeight = height;

        const Uint32 now = SDL_GetTicks();
        sim::advance(now - last);
        last = now;
        sim::runFrame();
        logChanges(width, height, shownWidth, shownHeight, shown);

        picture::Image image = picture::renderFrame(sim::lastFrame());
        if (overlay) {
            // Top right, its 15 lines ending above the character's head (at
            // 0.38 of the height) and clear of the menu on any window size.
            const int pixels = std::clamp((height * 38 / 100 - 30) / 15, 10, 18);
            picture::drawOverlayText(image, clothingOverlay(), width - 24 * pixels, 20, pixels);
        }
        if (numLockNote.shown) // bottom left, clear of the menu and the status line
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
        if (shoot) saveScreenshot(renderer, width, height, tools::nextFreeShot(shots, ".png"));
        SDL_RenderPresent(renderer);
        const Uint32 spent = SDL_GetTicks() - now;
        if (spent < 16) SDL_Delay(16 - spent); // about 60 frames a second without vsync too
    }
    sim::detach();
    if (texture) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return sim::protocolErrors().empty() ? 0 : 1;
}
