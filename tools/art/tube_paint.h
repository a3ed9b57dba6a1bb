// Colours the figure: a brown, speckled tube with pale grey-white caps, lit
// from the upper left, the left end open to show the dark inside.
#pragma once

#include <cstdint>

#include "platform/toolkit/bmp24.h"
#include "tools/art/mask.h"
#include "tools/art/tube_shape.h"

// The colour of one point of the tube's surface, before noise and edges.
Rgb ShadeTube(const TubeSample& sample, double length, double half_width);

// The whole frame: mask pixels take the tube's colours with a little noise
// from `seed`; pixels on the figure's edge are darkened, those on its lower
// edge almost to black, but nothing in the figure is pure black.
Bmp24 PaintFrame(const Mask& mask, const TubePose& tube, uint64_t seed);
