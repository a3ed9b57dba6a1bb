// Fits a bent tube to a frame's required extent and size: the tube is moved
// and scaled until its pixels span the frame's box exactly, and its thickness
// is searched until it covers about the wanted number of pixels.
#pragma once

#include <optional>
#include <string>

#include "tools/art/mask.h"
#include "tools/art/poses.h"

struct FittedFrame {
    TubePose tube; // as placed in the picture
    Mask mask;
};

// rect_budget caps the rectangles of the frame's outline: rows that differ by
// a pixel at their ends are evened out until the outline fits.
std::optional<FittedFrame> FitFrame(const FrameDesign& design, int rect_budget,
                                    std::string* error);

// The rasterised tube: pixels whose centres lie on it.
Mask Rasterize(const TubePose& tube);

// Evens out neighbouring rows until the outline needs at most rect_budget
// rectangles; false if it cannot.
bool MergeBands(Mask& mask, int rect_budget);
