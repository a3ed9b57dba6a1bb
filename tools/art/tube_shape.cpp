#include "tools/art/tube_shape.h"

#include <cmath>

namespace {

constexpr int kSegments = 240;

Vec2 Bezier(const TubePose& p, double t)
{
    double s = 1 - t;
    return p.p0 * (s * s * s) + p.c0 * (3 * s * s * t) + p.c1 * (3 * s * t * t) +
           p.p1 * (t * t * t);
}

} // namespace

TubeShape::TubeShape(const TubePose& pose) : half_width_(pose.half_width)
{
    for (int i = 0; i <= kSegments; ++i) {
        points_.push_back(Bezier(pose, double(i) / kSegments));
        arc_.push_back(i == 0 ? 0.0 : arc_.back() + ::Length(points_[i] - points_[i - 1]));
    }
}

TubeSample TubeShape::Sample(Vec2 p) const
{
    // The nearest point of the centreline, remembering whether p lies past an end.
    double best = 1e18;
    size_t best_seg = 0;
    double best_lambda = 0;
    for (size_t i = 0; i + 1 < points_.size(); ++i) {
        Vec2 a = points_[i], d = points_[i + 1] - a;
        double lambda = Dot(p - a, d) / Dot(d, d);
        double clamped = std::clamp(lambda, 0.0, 1.0);
        Vec2 q = a + d * clamped;
        double dist2 = Dot(p - q, p - q);
        if (dist2 < best) {
            best = dist2;
            best_seg = i;
            best_lambda = lambda;
        }
    }
    const size_t last = points_.size() - 2;
    Vec2 a = points_[best_seg], d = points_[best_seg + 1] - a;
    Vec2 tangent = Unit(d);
    double lambda = std::clamp(best_lambda, 0.0, 1.0);
    Vec2 q = a + d * lambda;

    TubeSample s;
    s.axis = tangent;
    s.normal = Perp(tangent);
    s.along = arc_[best_seg] + lambda * ::Length(d);
    s.across = std::clamp(Dot(p - q, s.normal) / half_width_, -1.0, 1.0);
    bool past_left = best_seg == 0 && best_lambda < 0;
    bool past_right = best_seg == last && best_lambda > 1;

    // The open end is drawn over the body: the viewer looks into it.
    Vec2 t0 = Unit(points_[1] - points_[0]);
    Vec2 to0 = p - points_[0];
    double fu = Dot(to0, t0) / (kFaceDepth * half_width_);
    double fv = Dot(to0, Perp(t0)) / half_width_;
    if (fu * fu + fv * fv <= 1 || past_left) {
        s.inside = fu * fu + fv * fv <= 1;
        s.part = TubePart::LeftFace;
        s.axis = t0;
        s.normal = Perp(t0);
        s.face_u = fu;
        s.face_v = fv;
        return s;
    }
    if (!past_right) {
        s.inside = best <= half_width_ * half_width_;
        return s;
    }
    Vec2 t1 = Unit(points_.back() - points_[points_.size() - 2]);
    Vec2 to1 = p - points_.back();
    s.part = TubePart::RightCap;
    s.axis = t1;
    s.normal = Perp(t1);
    s.face_u = Dot(to1, t1) / (kCapDepth * half_width_);
    s.face_v = Dot(to1, Perp(t1)) / half_width_;
    s.across = std::clamp(s.face_v, -1.0, 1.0);
    s.inside = s.face_u * s.face_u + s.face_v * s.face_v <= 1;
    return s;
}

Box TubeShape::Extent() const
{
    Box box;
    for (size_t i = 0; i + 1 < points_.size(); ++i) {
        Vec2 n = Perp(Unit(points_[i + 1] - points_[i]));
        box.Add(points_[i] + n * half_width_);
        box.Add(points_[i] - n * half_width_);
    }
    Vec2 t0 = Unit(points_[1] - points_[0]);
    Vec2 t1 = Unit(points_.back() - points_[points_.size() - 2]);
    for (int i = -180; i <= 180; ++i) {
        // Half of each end ellipse, through the rational parametrisation of the
        // circle so that the result needs no library trigonometry.
        double k = i / 180.0;
        double c = (1 - k * k) / (1 + k * k), sn = 2 * k / (1 + k * k);
        box.Add(points_[0] - t0 * (c * kFaceDepth * half_width_) + Perp(t0) * (sn * half_width_));
        box.Add(points_.back() + t1 * (c * kCapDepth * half_width_) + Perp(t1) * (sn * half_width_));
    }
    return box;
}
