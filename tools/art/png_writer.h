// A minimal PNG writer for the contact sheet and the icons: 8-bit RGB or
// RGBA, one IDAT chunk, compressed with fixed-Huffman deflate and a few
// match distances, which is plenty for an enlarged picture whose rows and
// pixels repeat.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

uint32_t Crc32(std::span<const uint8_t> bytes);
uint32_t Adler32(std::span<const uint8_t> bytes);

// rgb holds width*height*3 bytes, top row first.
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb);
// rgba holds width*height*4 bytes (alpha not premultiplied), top row first.
std::vector<uint8_t> EncodePngRgba(int width, int height, std::span<const uint8_t> rgba);
