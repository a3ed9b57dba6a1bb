// The outline rule: how a frame picture becomes the rectangles of a window
// region. Rows are scanned top to bottom for runs of non-key pixels, and
// consecutive rows with identical runs share one band of rectangles.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/toolkit/bmp24.h"

struct OutlineRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    friend bool operator==(const OutlineRect&, const OutlineRect&) = default;
};

struct ShapeOutline {
    std::vector<OutlineRect> rects; // bands top to bottom, runs left to right
    OutlineRect bound;              // all zero when there are no rects
};

// A shape record has room for this many rectangles; more fails the build.
constexpr int kMaxOutlineRects = 64;

// The key colour is pure black, matched exactly.
bool IsKeyColour(Rgb c);

// The rule on any grid: filled(x, y) says whether a pixel belongs to the shape.
ShapeOutline TraceOutline(int width, int height, const std::function<bool(int, int)>& filled);

// The rule on a picture; is_key lets callers try another key.
ShapeOutline TraceOutline(const Bmp24& picture,
                          const std::function<bool(Rgb)>& is_key = IsKeyColour);

// The generated C++ source that fills ShapeTable[0..n-1] from the outlines.
std::string EmitShapeSource(std::span<const ShapeOutline> outlines);
