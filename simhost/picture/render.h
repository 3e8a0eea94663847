// Paints a frame as the player would see it: a stand-in game world, then the
// rectangles and texts the plug-in asked for, with FreeType's glyphs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/picture/scene.h"
#include "simhost/simhost.h"

namespace sim {

// Loads the faces (DejaVu Sans for font 0, DejaVu Sans Bold for font 1); false
// with the reason in `error` when they cannot be read.
bool loadFonts(std::string& error);
// Whether loadFonts succeeded; until then line counts come from an estimate.
bool haveFonts();

// Lines the text breaks into inside its wrap bounds on a screen of this size:
// what the renderer draws, and what the line-count native reports.
int layoutLineCount(const TextItem& text, int screenWidth, int screenHeight);

Image renderFrame(const Frame& frame);
// Text in the overlay's style: white on a dark panel, at pixel position x, y.
void drawOverlayText(Image& image, const std::string& text, int x, int y, int pixelHeight);
// Frames side by side, scaled to `tileWidth`, each with its caption below.
Image contactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                   int columns, int tileWidth);
bool writePng(const Image& image, const std::string& path, std::string& error);
bool readPng(const std::string& path, Image& image, std::string& error);

} // namespace sim
