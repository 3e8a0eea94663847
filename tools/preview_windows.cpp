// drapelle-play.exe: the live preview as a Windows program. It loads the
// plug-in DLL into the stand-in host as the runner does, shows the stand-in
// scene and everything the plug-in draws in a window painted with GDI, and
// hands the plug-in's keyboard handler the window's key messages with the
// arguments a host derives from them. It logs each key message delivered and
// each change of what the screen shows on standard output.
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>

#include "harness/key_names.h"
#include "harness/windows_plugin.h"
#include "simhost/game.h"
#include "simhost/picture/scene.h"
#include "simhost/screen.h"
#include "simhost/simhost.h"
#include "tools/command_line.h"

namespace {

const wchar_t* const kWindowClass = L"DrapellePreview";
const wchar_t* const kFontFace = L"DejaVu Sans"; // as the Linux pictures; else GDI's nearest

HWND window = nullptr;              // the preview window, while it is open
HDC canvas = nullptr;               // memory DC holding the back buffer
HBITMAP backBuffer = nullptr;       // top-down 32-bit DIB the frame is painted into
BITMAPINFO canvasInfo{};            // its header
std::uint8_t* backPixels = nullptr; // its pixels, blue-green-red-unused
int canvasWidth = 0, canvasHeight = 0;
picture::Image world;                       // the scene at the canvas size, painted once per size
std::map<std::pair<int, int>, HFONT> fonts; // by (font, pixel height)
bool shotWanted = false;                    // F12 was pressed since the last frame
bool numLockNoteShown = false;              // the keypad came with NumLock off
std::string shotFolder = ".";               // where screenshots go

sim::KeyMessage decodeKeyMessage(WPARAM wParam, LPARAM lParam) {
    const auto bits = static_cast<std::uint32_t>(lParam);
    sim::KeyMessage message;
    message.key = static_cast<DWORD>(wParam);
    message.repeats = static_cast<WORD>(bits & 0xFFFF);
    message.scanCode = static_cast<BYTE>((bits >> 16) & 0xFF);
    message.isExtended = (bits >> 24) & 1;
    message.isWithAlt = (bits >> 29) & 1;
    message.wasDownBefore = (bits >> 30) & 1;
    message.isUpNow = (bits >> 31) & 1;
    return message;
}

HFONT fontFor(int font, int pixelHeight) {
    // Fonts 0 and 1, and any other in italics: a text drawn without its font call.
    const auto key = std::make_pair(font == 0 ? 0 : font == 1 ? 1 : 2, pixelHeight);
    if (const auto found = fonts.find(key); found != fonts.end()) return found->second;
    // A positive height is the cell height, ascent and descent: one line.
    const HFONT made =
        CreateFontW(pixelHeight, 0, 0, 0, key.first == 1 ? FW_BOLD : FW_NORMAL, key.first == 2,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS,
                    ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, kFontFace);
    return fonts.emplace(key, made).first->second;
}

int measureText(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The text's lines in its font, which stays selected into the canvas.
std::vector<std::string> linesOf(const sim::TextItem& text, float lineHeight, int screenWidth) {
    SelectObject(canvas, fontFor(text.font, static_cast<int>(std::lround(lineHeight))));
    return sim::breakLines(text.text, sim::roomFor(text, screenWidth),
                           [](const std::string& line) { return measureText(canvas, line); });
}

// The line-count native's answer: the lines this window draws.
int countDrawnLines(const sim::TextItem& text, int screenWidth, int screenHeight) {
    const float lineHeight = sim::lineHeightPixels(text.scale, text.font, screenHeight);
    if (text.text.empty()) return 0;
    if (!sim::isPaintableLineHeight(lineHeight) || screenWidth <= 0 || !canvas) return 1;
    return static_cast<int>(linesOf(text, lineHeight, screenWidth).size());
}

void resizeCanvas(int width, int height) {
    if (width == canvasWidth && height == canvasHeight) return;
    if (backBuffer) DeleteObject(backBuffer);
    canvasInfo.bmiHeader.biSize = sizeof canvasInfo.bmiHeader;
    canvasInfo.bmiHeader.biWidth = width;
    canvasInfo.bmiHeader.biHeight = -height; // top-down, as the scene's rows
    canvasInfo.bmiHeader.biPlanes = 1;
    canvasInfo.bmiHeader.biBitCount = 32;
    canvasInfo.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    backBuffer = CreateDIBSection(canvas, &canvasInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    backPixels = static_cast<std::uint8_t*>(bits);
    SelectObject(canvas, backBuffer);
    canvasWidth = width;
    canvasHeight = height;
    world = picture::paintWorld(width, height);
    std::cout << "resolution: " << width << " x " << height << std::endl;
}

void paintText(const sim::TextItem& text) {
    const float lineHeight = sim::lineHeightPixels(text.scale, text.font, canvasHeight);
    if (!sim::isPaintableLineHeight(lineHeight)) return;
    const std::vector<std::string> lines = linesOf(text, lineHeight, canvasWidth);
    const std::vector<picture::TextPass> passes = picture::textPasses(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const picture::LinePlace place =
            picture::placeLine(text, static_cast<int>(i), measureText(canvas, lines[i]), lineHeight,
                               canvasWidth, canvasHeight);
        const int top = static_cast<int>(std::lround(place.top));
        for (const picture::TextPass& pass : passes) {
            SetTextColor(canvas, RGB(pass.colour.r, pass.colour.g, pass.colour.b));
            TextOutA(canvas, place.left + pass.dx, top + pass.dy, lines[i].c_str(),
                     static_cast<int>(lines[i].size()));
        }
    }
}

// The scene, then the boxes in the order asked, then the texts over them, as
// the game draws a frame.
void paintFrame(const sim::Frame& frame) {
    picture::Image scene = world;
    picture::paintPlayerCharacter(scene);
    GdiFlush();
    for (std::size_t i = 0; i < scene.rgba.size(); i += 4) {
        backPixels[i] = scene.rgba[i + 2];
        backPixels[i + 1] = scene.rgba[i + 1];
        backPixels[i + 2] = scene.rgba[i];
        backPixels[i + 3] = 0;
    }
    if (frame.width <= 0 || frame.height <= 0) return;
    for (const sim::RectItem& rect : frame.rects) {
        const picture::PixelBox box = picture::boxPixels(rect, canvasWidth, canvasHeight);
        const RECT area{box.left, box.top, box.right, box.bottom};
        const HBRUSH brush = CreateSolidBrush(RGB(rect.colour.r, rect.colour.g, rect.colour.b));
        FillRect(canvas, &area, brush);
        DeleteObject(brush);
    }
    SetBkMode(canvas, TRANSPARENT);
    SetTextAlign(canvas, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    for (const sim::TextItem& text : frame.texts) paintText(text);
    if (numLockNoteShown) {
        SelectObject(canvas, fontFor(0, 20));
        SetBkMode(canvas, OPAQUE);
        SetBkColor(canvas, RGB(0, 0, 0));
        SetTextColor(canvas, RGB(255, 220, 80));
        TextOutA(canvas, 16, canvasHeight - 40, harness::kNumLockOffNote, // clear of the menu
                 static_cast<int>(std::strlen(harness::kNumLockOffNote)));
    }
}

// The back buffer as a BMP, as it is in memory: 32 bits a pixel, rows
// top-down; without a reason when it cannot be written, which the caller says.
bool writeBmp(const std::string& path, std::string&) {
    const auto pixelBytes = static_cast<DWORD>(canvasWidth * canvasHeight * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof canvasInfo.bmiHeader;
    file.bfSize = file.bfOffBits + pixelBytes;
    GdiFlush();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&canvasInfo.bmiHeader), sizeof canvasInfo.bmiHeader);
    out.write(reinterpret_cast<const char*>(backPixels), pixelBytes);
    return static_cast<bool>(out);
}

LRESULT CALLBACK handleWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const sim::KeyMessage key = decodeKeyMessage(wParam, lParam);
        harness::passKeyMessage(key, numLockNoteShown);
        const bool pressed = !key.isUpNow && !key.wasDownBefore;
        if (pressed && key.key == VK_ESCAPE) DestroyWindow(hwnd);
        if (pressed && key.key == VK_F12) shotWanted = true;
        return 0;
    }
    case WM_SIZE:
        if (LOWORD(lParam) > 0 && HIWORD(lParam) > 0) resizeCanvas(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        BitBlt(dc, 0, 0, canvasWidth, canvasHeight, canvas, 0, 0, SRCCOPY);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool openWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = handleWindowMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassW(&windowClass)) return false;
    canvas = CreateCompatibleDC(nullptr);
    RECT area{0, 0, 1280, 720}; // the client area: the game's screen
    AdjustWindowRect(&area, WS_OVERLAPPEDWINDOW, FALSE);
    window =
        CreateWindowExW(0, kWindowClass, L"Drapelle preview", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, area.right - area.left, area.bottom - area.top, nullptr,
                        nullptr, windowClass.hInstance, nullptr);
    if (!window) return false;
    ShowWindow(window, SW_SHOW);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"", "drapelle-play"};
    tools::setUpPreview(app, "", ".bmp", shotFolder);
    std::string plugin;
    app.add_option("PLUGIN", plugin, "The plug-in DLL, as the host would load it")
        ->type_name("DLL")
        ->required();
    if (const int status = tools::parseCommandLine(app, argc, argv); status >= 0) return status;

    sim::setLineCounter(countDrawnLines);
    std::string error;
    const HMODULE module = harness::loadPlugin(plugin, error);
    if (!module) {
        std::cerr << "drapelle-play: " << error << "\nTry 'drapelle-play --help'.\n";
        return 2;
    }
    if (!openWindow()) {
        std::cerr << "drapelle-play: cannot open a window (error " << GetLastError() << ")\n";
        FreeLibrary(module);
        return 1;
    }
    tools::runPreviewFrames(GetTickCount, Sleep, [] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return false;
            DispatchMessageW(&message);
        }
        harness::runPreviewFrame(canvasWidth, canvasHeight);
        paintFrame(sim::lastFrame());
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        if (shotWanted) tools::saveShot(shotFolder, ".bmp", writeBmp);
        shotWanted = false;
        return true;
    });
    FreeLibrary(module);
    return tools::previewStatus();
}
