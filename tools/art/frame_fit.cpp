#include "tools/art/frame_fit.h"

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "tools/outline/outline_rule.h"

namespace {

TubePose Scaled(const TubePose& p, Vec2 centre, double sx, double sy, Vec2 shift)
{
    auto map = [&](Vec2 v) {
        return Vec2{centre.x + (v.x - centre.x) * sx + shift.x,
                    centre.y + (v.y - centre.y) * sy + shift.y};
    };
    return {map(p.p0), map(p.c0), map(p.c1), map(p.p1), p.half_width};
}

// Scales and moves the centreline, leaving the thickness alone, until the
// figure's continuous extent is `want`.
TubePose PlaceTube(const TubePose& pose, const Box& want)
{
    Vec2 centre = (pose.p0 + pose.p1) * 0.5;
    double sx = 1, sy = 1;
    Vec2 shift;
    for (int i = 0; i < 16; ++i) {
        Box now = TubeShape(Scaled(pose, centre, sx, sy, shift)).Extent();
        Box wider = TubeShape(Scaled(pose, centre, sx + 0.01, sy + 0.01, shift)).Extent();
        double dw = ((wider.right - wider.left) - (now.right - now.left)) / 0.01;
        double dh = ((wider.bottom - wider.top) - (now.bottom - now.top)) / 0.01;
        sx += ((want.right - want.left) - (now.right - now.left)) / std::max(dw, 1.0);
        sy += ((want.bottom - want.top) - (now.bottom - now.top)) / std::max(dh, 1.0);
        sx = std::clamp(sx, 0.05, 5.0);
        sy = std::clamp(sy, 0.05, 5.0);
        Box scaled = TubeShape(Scaled(pose, centre, sx, sy, shift)).Extent();
        shift = shift + Vec2{want.left - scaled.left, want.top - scaled.top};
    }
    return Scaled(pose, centre, sx, sy, shift);
}

// Searches the continuous extent, side by side, whose pixels span `box`.
std::optional<FittedFrame> FitBox(const TubePose& pose, const PixelBox& box)
{
    const int want[4] = {box.left, box.top, box.right, box.bottom};
    double lo[4], hi[4], edge[4];
    for (int i = 0; i < 4; ++i) {
        lo[i] = want[i] - 0.5;
        hi[i] = want[i] + 0.5;
        edge[i] = want[i] + (i < 2 ? 0.2 : -0.2);
    }
    for (int iteration = 0; iteration < 60; ++iteration) {
        FittedFrame fit;
        fit.tube = PlaceTube(pose, Box{edge[0], edge[1], edge[2], edge[3]});
        fit.mask = Rasterize(fit.tube);
        PixelBox got = fit.mask.Bounds();
        if (got == box) return fit;
        const int have[4] = {got.left, got.top, got.right, got.bottom};
        for (int i = 0; i < 4; ++i) {
            // Every side's pixel edge grows with its continuous edge.
            if (have[i] < want[i]) lo[i] = edge[i];
            if (have[i] > want[i]) hi[i] = edge[i];
            if (have[i] == want[i]) continue;
            if (hi[i] - lo[i] < 1e-3) { // the other sides moved it: search afresh
                lo[i] -= 0.5;
                hi[i] += 0.5;
            }
            edge[i] = (lo[i] + hi[i]) / 2;
        }
    }
    return std::nullopt;
}

using Runs = std::vector<std::pair<int, int>>;

Runs RowRuns(const Mask& mask, int y)
{
    Runs runs;
    for (int x = 0; x < Mask::kSide;) {
        if (!mask.At(x, y)) {
            ++x;
            continue;
        }
        int start = x;
        while (mask.At(x, y)) ++x;
        runs.emplace_back(start, x);
    }
    return runs;
}

// How far apart two rows with the same number of runs are, or -1 when they
// cannot be evened out without joining runs.
int RowDistance(const Runs& a, const Runs& b)
{
    if (a.size() != b.size() || a.empty() || a == b) return -1;
    int total = 0, last_end = -1;
    for (size_t i = 0; i < a.size(); ++i) {
        int ds = std::abs(a[i].first - b[i].first), de = std::abs(a[i].second - b[i].second);
        if (ds > 1 || de > 1) return -1;
        int start = std::min(a[i].first, b[i].first);
        if (start <= last_end) return -1;
        last_end = std::max(a[i].second, b[i].second);
        total += ds + de;
    }
    return total;
}

} // namespace

Mask Rasterize(const TubePose& tube)
{
    TubeShape shape(tube);
    Box extent = shape.Extent();
    Mask mask;
    int x0 = std::max(0, int(std::floor(extent.left)) - 1);
    int x1 = std::min(Mask::kSide - 1, int(std::ceil(extent.right)) + 1);
    int y0 = std::max(0, int(std::floor(extent.top)) - 1);
    int y1 = std::min(Mask::kSide - 1, int(std::ceil(extent.bottom)) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (shape.Sample({x + 0.5, y + 0.5}).inside) mask.Set(x, y, true);
    return mask;
}

bool MergeBands(Mask& mask, int rect_budget)
{
    auto filled = [&](int x, int y) { return mask.At(x, y); };
    while (TraceOutline(Mask::kSide, Mask::kSide, filled).rects.size() > size_t(rect_budget)) {
        int best_row = -1, best = 1 << 30;
        for (int y = 0; y + 1 < Mask::kSide; ++y) {
            int d = RowDistance(RowRuns(mask, y), RowRuns(mask, y + 1));
            if (d >= 0 && d < best) {
                best = d;
                best_row = y;
            }
        }
        if (best_row < 0) return false;
        // Both rows take the union, so the figure's extent never shrinks.
        for (int x = 0; x < Mask::kSide; ++x) {
            bool on = mask.At(x, best_row) || mask.At(x, best_row + 1);
            mask.Set(x, best_row, on);
            mask.Set(x, best_row + 1, on);
        }
    }
    return true;
}

std::optional<FittedFrame> FitFrame(const FrameDesign& design, int rect_budget,
                                    std::string* error)
{
    std::optional<FittedFrame> best;
    int best_miss = 1 << 30;
    double lo = design.tube.half_width * 0.75, hi = design.tube.half_width * 1.3;
    for (int step = 0; step < 14; ++step) {
        TubePose pose = design.tube;
        pose.half_width = (lo + hi) / 2;
        auto fit = FitBox(pose, design.box);
        if (fit && MergeBands(fit->mask, rect_budget)) {
            FillEnclosedHoles(fit->mask);
            int miss = fit->mask.Count() - design.pixels;
            if (std::abs(miss) < best_miss) {
                best_miss = std::abs(miss);
                best = fit;
            }
            (miss < 0 ? lo : hi) = pose.half_width;
        } else {
            hi = pose.half_width; // too thick to fit the box
        }
    }
    if (!best && error) *error = "no thickness fits the box";
    return best;
}
