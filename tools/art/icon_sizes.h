// The menu icons for the freedesktop icon theme: every size is a whole-pixel
// enlargement of a drawn icon whose size divides it, so the pixels stay as
// crisp as drawn (no smoothing, no new colours).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/art/ico_writer.h"

// The sizes the theme gets: 16 to 256 pixels.
std::span<const int> HicolorSizes();

// Each pixel of `image` as a `factor` by `factor` block.
IconImage Enlarge(const IconImage& image, int factor);

// `size` square, from the largest of `drawn` (32-bit images) whose size
// divides it; an empty image (size 0) when none does.
IconImage IconAtSize(std::span<const IconImage> drawn, int size);

// The pixels as R, G, B, A bytes, top row first, for a PNG.
std::vector<uint8_t> RgbaBytes(const IconImage& image);
