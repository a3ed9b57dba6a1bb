// Writes .ico files: an ICONDIR, one ICONDIRENTRY per image, then each image
// as a BITMAPINFOHEADER (height doubled for the two masks), its palette, the
// XOR colour bits and the 1-bit AND transparency mask, rows bottom-up.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/toolkit/bmp24.h"

struct IconImage {
    int size = 32;            // square: width and height
    int bits = 32;            // 1, 4 or 32 bits per pixel
    std::vector<Rgb> palette; // 2 or 16 entries below 32 bits
    // Top row first: palette indices, or 0xAARRGGBB at 32 bits.
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> transparent; // top row first; 1 where the AND mask is set
};

std::vector<uint8_t> EncodeIco(std::span<const IconImage> images);
