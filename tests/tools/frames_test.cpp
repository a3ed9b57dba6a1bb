// The stored frame pictures against what the window region and the eye need.
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

using R = OutlineRect;

bool Figure(const Bmp24& p, int x, int y) { return !IsKeyColour(p.Pixel(x, y)); }

TEST(Frames, RestingPoseHasItsFixedOutline)
{
    const std::vector<R> want = {
        {54, 40, 58, 41}, {38, 41, 60, 42}, {18, 42, 61, 43}, {5, 43, 62, 44}, {4, 44, 62, 45},
        {3, 45, 63, 46},  {2, 46, 63, 51},  {1, 51, 63, 54},  {2, 54, 62, 56}, {2, 56, 61, 57},
        {3, 57, 59, 58},  {3, 58, 45, 59},  {4, 59, 32, 60},  {4, 60, 19, 61}};
    ShapeOutline o = TraceOutline(LoadFrame(0));
    EXPECT_EQ(o.rects, want);
    EXPECT_EQ(o.bound, (R{1, 40, 63, 61}));
}

TEST(Frames, EachPoseFillsItsBoxWithAboutItsSize)
{
    for (int k = 0; k < 13; ++k) {
        Bmp24 p = LoadFrame(k);
        int count = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) count += Figure(p, x, y);
        ShapeOutline o = TraceOutline(p);
        EXPECT_EQ(o.bound, kFrameTargets[k].box) << "frame " << k;
        EXPECT_NEAR(count, kFrameTargets[k].pixels, kFrameTargets[k].pixels / 10) << "frame " << k;
        EXPECT_LE(o.rects.size(), 60u) << "frame " << k; // room to spare in a record
    }
}

TEST(Frames, RectanglesTileTheFigureExactly)
{
    for (int k = 0; k < 13; ++k) {
        Bmp24 p = LoadFrame(k);
        std::vector<int> cover(64 * 64, 0);
        for (const R& r : TraceOutline(p).rects)
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) ++cover[y * 64 + x];
        int wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) wrong += cover[y * 64 + x] != int(Figure(p, x, y));
        EXPECT_EQ(wrong, 0) << "frame " << k << ": pixels covered not once where figure, or at all where not";
    }
}

TEST(Frames, NearlyBlackEdgesBelongToTheFigure)
{
    // Were the key matched loosely, the outlines would lose the dark edges.
    auto loose = [](Rgb c) { return c.r <= 8 && c.g <= 8 && c.b <= 8; };
    int changed = 0;
    for (int k = 0; k < 13; ++k) {
        Bmp24 p = LoadFrame(k);
        changed += TraceOutline(p).rects != TraceOutline(p, loose).rects;
    }
    EXPECT_GE(changed, 10);
}

TEST(Frames, BackgroundHasNoEnclosedHoles)
{
    for (int k = 0; k < 13; ++k) {
        Bmp24 p = LoadFrame(k);
        std::vector<char> reached(64 * 64, 0);
        std::vector<std::pair<int, int>> stack;
        auto visit = [&](int x, int y) {
            if (x < 0 || y < 0 || x > 63 || y > 63 || reached[y * 64 + x] || Figure(p, x, y)) return;
            reached[y * 64 + x] = 1;
            stack.emplace_back(x, y);
        };
        for (int i = 0; i < 64; ++i) {
            visit(i, 0), visit(i, 63), visit(0, i), visit(63, i);
        }
        while (!stack.empty()) {
            auto [x, y] = stack.back();
            stack.pop_back();
            visit(x - 1, y), visit(x + 1, y), visit(x, y - 1), visit(x, y + 1);
        }
        int holes = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) holes += !Figure(p, x, y) && !reached[y * 64 + x];
        EXPECT_EQ(holes, 0) << "frame " << k;
    }
}

TEST(Frames, ShowABrownSpeckledTubeWithPaleCaps)
{
    for (int k = 0; k < 13; ++k) {
        Bmp24 p = LoadFrame(k);
        std::set<uint32_t> colours;
        int figure = 0, brown = 0, pale = 0, too_bright = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                Rgb c = p.Pixel(x, y);
                if (IsKeyColour(c)) continue;
                ++figure;
                colours.insert(uint32_t(c.r) << 16 | c.g << 8 | c.b);
                brown += c.r > c.g && c.g > c.b && c.r - c.b > 30;
                pale += std::min({c.r, c.g, c.b}) >= 120 && std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) <= 8;
                too_bright += std::max({c.r, c.g, c.b}) > 230;
            }
        EXPECT_GE(colours.size(), 500u) << "frame " << k;
        EXPECT_GT(brown * 10, figure * 4) << "frame " << k;
        EXPECT_GT(pale, figure / 20) << "frame " << k;
        EXPECT_EQ(too_bright, 0) << "frame " << k;
    }
}

} // namespace
