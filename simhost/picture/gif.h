// Key moments as an animated GIF, through giflib.
#pragma once

#include <string>
#include <vector>

#include "simhost/picture/render.h"

namespace picture {

// A looping animation, each image shown `delayMs` (the last twice as long),
// `shrink` times smaller, in 256 colours; false with the reason on failure.
bool writeGif(const std::vector<Image>& images, int delayMs, int shrink, const std::string& path,
              std::string& error);

} // namespace picture
