// Paints a frame as the player would see it: a stand-in game world, then the
// rectangles and texts the plug-in asked for, with FreeType's glyphs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/picture/scene.h"
#include "simhost/simhost.h"
#include "simhost/text_layout.h"

namespace picture {

Image renderFrame(const sim::Frame& frame);
// Text in the overlay's style: white on a dark panel, at pixel position x, y.
void drawOverlayText(Image& image, const std::string& text, int x, int y, int pixelHeight);
// The side, in screen pixels, of the square from the top left that holds
// every box the frame drew (the menu's), with a margin; 0 when none.
int menuCorner(const sim::Frame& frame);
// Frames side by side, scaled to `tileWidth` (at least 300), each with its
// caption below and its menu's corner over the thumbnail's at a readable
// size: the square of its menuCorners entry, or of a five-row menu if less.
Image contactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                   const std::vector<int>& menuCorners, int columns, int tileWidth);
bool writePng(const Image& image, const std::string& path, std::string& error);
bool readPng(const std::string& path, Image& image, std::string& error);

} // namespace picture
