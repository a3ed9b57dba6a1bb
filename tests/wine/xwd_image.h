// A screenshot as xwd writes it (xwd -root), decoded to RGB for the
// end-to-end tests. TrueColor ZPixmaps at 24 or 32 bits a pixel only:
// what Xvfb's 24-bit screens give.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
};

struct XwdImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb8> pixels; // rows top first

    const Rgb8& At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Returns nothing, with *error saying why, for a file it cannot read.
std::optional<XwdImage> ReadXwd(const std::string& path, std::string* error);
