// A frame painted as the player would see it, with FreeType's glyphs.
#pragma once

#include <string>
#include <vector>

#include "simhost/picture/scene.h"

namespace picture {

Image renderFrame(const sim::Frame& frame);
// Text in the overlay's style: white on a dark panel, at pixel position x, y.
void drawOverlayText(Image& image, const std::string& text, int x, int y, int pixelHeight);
// The side of the top-left square holding every box drawn, with a margin.
int menuCorner(const sim::Frame& frame);
// Frames side by side, `tileWidth` wide, each captioned, its menu's corner
// inset over the thumbnail's at a readable size.
Image contactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                   const std::vector<int>& menuCorners, int columns, int tileWidth);
bool writePng(const Image& image, const std::string& path, std::string& error);
bool readPng(const std::string& path, Image& image, std::string& error);

} // namespace picture
