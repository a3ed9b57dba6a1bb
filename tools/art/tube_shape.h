// The figure's geometry: a tube whose centreline is a cubic Bezier curve from
// its open left end to its capped right end. Sampling a point says whether it
// lies on the figure and where on the tube's surface it is, which is what the
// painter needs to shade it.
#pragma once

#include <vector>

#include "tools/art/geometry.h"

struct TubePose {
    Vec2 p0, c0, c1, p1; // centreline: left end, two control points, right end
    double half_width = 8.8;
};

enum class TubePart { Body, LeftFace, RightCap };

struct TubeSample {
    bool inside = false;
    TubePart part = TubePart::Body;
    double along = 0;   // arc length from the left end, pixels
    double across = 0;  // signed offset from the centreline over half_width, -1..1
    Vec2 axis;          // unit tangent of the centreline here, or at the nearer end
    Vec2 normal;        // Perp(axis): the side where across > 0
    double face_u = 0;  // on an end: position in the end's ellipse, unit circle;
    double face_v = 0;  // u along the tube's axis, v across it
};

class TubeShape {
public:
    // The left end face and the right cap are ellipses whose half-length along
    // the tube is this fraction of the half width (the ends seen a little turned).
    static constexpr double kFaceDepth = 0.53;
    static constexpr double kCapDepth = 0.6;

    explicit TubeShape(const TubePose& pose);

    TubeSample Sample(Vec2 p) const;
    double Length() const { return arc_.back(); }
    double HalfWidth() const { return half_width_; }
    // The continuous extent of the figure.
    Box Extent() const;

private:
    std::vector<Vec2> points_; // the centreline as a fine polyline
    std::vector<double> arc_;  // arc length at each point
    double half_width_;
};
