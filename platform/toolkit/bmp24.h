// The one picture format walkers stores: an uncompressed 24-bit 64x64 BMP
// file, rows bottom-up without padding. Decoding validates every header field
// so that a damaged picture is caught where it is read, not drawn as noise.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Bmp24 {
    static constexpr int kSide = 64;
    static constexpr size_t kHeaderBytes = 14 + 40;
    static constexpr size_t kPixelBytes = size_t{kSide} * kSide * 3;
    static constexpr size_t kFileBytes = kHeaderBytes + kPixelBytes;

    int width = kSide;
    int height = kSide;
    std::vector<uint8_t> bgr_bottom_up; // width*height*3 bytes, bottom row first

    // A black picture of the stored size.
    static Bmp24 Blank();

    // (x, y) with y = 0 the top row as displayed.
    Rgb Pixel(int x, int y) const;
    void SetPixel(int x, int y, Rgb c);
};

// Returns the picture, or nullopt with *error (when given) saying what is
// wrong with the file.
std::optional<Bmp24> DecodeBmp24(std::span<const uint8_t> file, std::string* error);

// Writes the complete file; the picture must be 64x64.
std::vector<uint8_t> EncodeBmp24(const Bmp24& picture);
