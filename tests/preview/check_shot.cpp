// check_shot SHOT [WIDTHxHEIGHT]: reads a screenshot of a preview (PNG from
// the Linux one, BMP from the Windows one) and says what menu it shows:
// "no menu" or "menu, row N highlighted", by the colours of the boxes at the
// places the menu's layout puts them. The layout is in pixels of the actual
// screen, so those places are the same at every size.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef DRAPELLE_HAVE_RENDER
#include "simhost/picture/render.h"
#else
#include "simhost/picture/scene.h"
#endif

namespace {

std::uint32_t readLittle(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

// An uncompressed 32-bit BMP, rows bottom-up (top-down when its height is
// negative), as the Windows preview writes its screenshots.
bool readBmp(const std::string& path, picture::Image& image, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || readLittle(bytes, 28, 2) != 32 ||
        readLittle(bytes, 30, 4) != 0) {
        error = path + " is not an uncompressed 32-bit BMP";
        return false;
    }
    const std::uint32_t offset = readLittle(bytes, 10, 4);
    const int width = static_cast<std::int32_t>(readLittle(bytes, 18, 4));
    const int height = static_cast<std::int32_t>(readLittle(bytes, 22, 4));
    const int rows = std::abs(height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    if (width <= 0 || offset + rowBytes * rows > bytes.size()) {
        error = path + " is cut short";
        return false;
    }
    image = {width, rows, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * rows * 4)};
    for (int y = 0; y < rows; ++y) {
        const std::size_t row = offset + rowBytes * (height > 0 ? rows - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* bgr = &bytes[row + static_cast<std::size_t>(x) * 4];
            std::uint8_t* pixel = image.at(x, y);
            pixel[0] = bgr[2], pixel[1] = bgr[1], pixel[2] = bgr[0], pixel[3] = 255;
        }
    }
    return true;
}

bool readShot(const std::string& path, picture::Image& image, std::string& error) {
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bmp") == 0)
        return readBmp(path, image, error);
#ifdef DRAPELLE_HAVE_RENDER
    return picture::readPng(path, image, error);
#else
    error = "this build reads BMP screenshots only";
    return false;
#endif
}

bool isNear(const std::uint8_t* pixel, int r, int g, int b) {
    return std::abs(pixel[0] - r) < 12 && std::abs(pixel[1] - g) < 12 &&
           std::abs(pixel[2] - b) < 12;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: check_shot SHOT [WIDTHxHEIGHT]\n");
        return 2;
    }
    picture::Image shot;
    std::string error;
    if (!readShot(argv[1], shot, error)) {
        std::fprintf(stderr, "check_shot: %s\n", error.c_str());
        return 2;
    }
    const std::string size = std::to_string(shot.width) + "x" + std::to_string(shot.height);
    const std::string expected = argc == 3 ? argv[2] : "1280x720";
    if (size != expected) {
        std::fprintf(stderr, "check_shot: %s, not %s\n", size.c_str(), expected.c_str());
        return 2;
    }
    // The title's black box, right of its caption, inside its top inset.
    if (!isNear(shot.at(245, 24), 0, 0, 0)) {
        std::printf("no menu\n");
        return 0;
    }
    // Only the highlighted box is 251 pixels wide: column 250 is pale green
    // from its top, 56 + 36 s pixels plus the 2-pixel offset.
    for (int y = 40; y < 400; ++y) {
        if (isNear(shot.at(250, y), 218, 242, 216)) {
            const int row = static_cast<int>(std::lround((y - 58) / 36.0));
            std::printf("menu, row %d highlighted\n", row);
            return 0;
        }
    }
    std::printf("menu, no row highlighted\n");
    return 0;
}
