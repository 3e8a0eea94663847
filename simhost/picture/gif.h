// Key moments as an animated GIF, through giflib.
#pragma once

#include <string>
#include <vector>

#include "simhost/picture/render.h"

namespace picture {

// A looping animation, each image shown `delayMs` (the last twice as long),
// in 256 colours; false with the reason on failure.
bool writeGif(const std::vector<Image>& images, int delayMs, const std::string& path,
              std::string& error);

} // namespace picture
