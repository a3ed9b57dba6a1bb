// The hop, frame by frame: where each pose must sit in its 64x64 picture, how
// many pixels it should cover, and the bent centreline that draws it.
#pragma once

#include <array>

#include "tools/art/mask.h"
#include "tools/art/tube_shape.h"

constexpr int kFrameCount = 13;

struct FrameDesign {
    const char* pose;  // what the frame shows
    PixelBox box;      // exact extent of the figure
    int pixels;        // the figure's size to aim for
    TubePose tube;     // a first guess; fitting moves and scales it into box
};

const std::array<FrameDesign, kFrameCount>& FrameDesigns();

// The resting pose is fixed pixel for pixel, since the other frames are
// judged against it; its tube only guides the shading.
Mask RestingSilhouette();
