// Property tests: random rectangles go through
// ExtCreateRegion and CombineRgn, and every pixel is compared with a plain
// pixel-by-pixel model. The rectangle lists are checked for the
// y-x banded, merged form Win32 hands out.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <random>
#include <vector>

#include "platform/winapi.h"
#include "tests/support/region_reading.h"

namespace {

constexpr int kLow = -8, kHigh = 72, kSpan = kHigh - kLow; // the model's window
using Model = std::bitset<kSpan * kSpan>;

bool At(const Model& model, long x, long y) { return model[(y - kLow) * kSpan + (x - kLow)]; }

std::vector<RECT> RandomRects(std::mt19937& random)
{
    std::uniform_int_distribution<int> count(0, 7), coordinate(-4, 68);
    std::vector<RECT> rects(count(random));
    for (RECT& rect : rects) // some empty or inverted, as callers may pass
        rect = {coordinate(random), coordinate(random), coordinate(random), coordinate(random)};
    return rects;
}

Model ModelOf(const std::vector<RECT>& rects)
{
    Model model;
    for (const RECT& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                model.set((y - kLow) * kSpan + (x - kLow));
    return model;
}

// The region holds exactly the model's pixels, in y-x banded rectangles
// with nothing left to merge.
void ExpectRegionIs(HRGN region, const Model& model, int type)
{
    for (int y = kLow; y < kHigh; ++y)
        for (int x = kLow; x < kHigh; ++x)
            ASSERT_EQ(bool(PtInRegion(region, x, y)), At(model, x, y)) << x << "," << y;
    const std::vector<Box> boxes = BoxesOf(region);
    EXPECT_EQ(type, boxes.empty() ? NULLREGION : boxes.size() == 1 ? SIMPLEREGION : COMPLEXREGION);

    struct Band {
        long top, bottom;
        std::vector<std::pair<long, long>> spans;
    };
    std::vector<Band> bands;
    Model covered;
    for (const auto& [left, top, right, bottom] : boxes) {
        ASSERT_TRUE(left < right && top < bottom);
        for (long y = top; y < bottom; ++y)
            for (long x = left; x < right; ++x) {
                ASSERT_FALSE(At(covered, x, y)) << "overlap";
                covered.set((y - kLow) * kSpan + (x - kLow));
            }
        if (bands.empty() || bands.back().top != top) {
            EXPECT_TRUE(bands.empty() || top >= bands.back().bottom); // bands go down
            bands.push_back({top, bottom, {}});
        }
        Band& band = bands.back();
        EXPECT_EQ(bottom, band.bottom);                                     // one height per band
        EXPECT_TRUE(band.spans.empty() || band.spans.back().second < left); // apart, in order
        band.spans.push_back({left, right});
    }
    EXPECT_EQ(covered, model);
    for (std::size_t i = 1; i < bands.size(); ++i) {
        const bool touching = bands[i].top == bands[i - 1].bottom;
        EXPECT_FALSE(touching && bands[i].spans == bands[i - 1].spans)
            << "unmerged bands at " << bands[i].top;
    }
}

TEST(RegionModel, ExtCreateRegionMatchesThePixelModel)
{
    std::mt19937 random(1);
    for (int round = 0; round < 300; ++round) {
        const std::vector<RECT> rects = RandomRects(random);
        HRGN region = RegionOfRects(rects);
        RECT box;
        ExpectRegionIs(region, ModelOf(rects), GetRgnBox(region, &box));
        DeleteObject(region);
    }
}

// Lists built again are remembered: a changed list, more lists than are
// kept, and one list under no transform and under the identity (which
// differ on inverted rectangles) must still each give their own region.
TEST(RegionModel, ExtCreateRegionGivesEachListItsOwnRegionWhenBuiltAgain)
{
    std::mt19937 random(3);
    std::vector<std::vector<RECT>> lists(40);
    for (auto& list : lists)
        list = RandomRects(random);
    for (int pass = 0; pass < 3; ++pass)
        for (const auto& rects : lists) {
            HRGN region = RegionOfRects(rects);
            RECT box;
            ExpectRegionIs(region, ModelOf(rects), GetRgnBox(region, &box));
            DeleteObject(region);
        }

    const XFORM identity{1, 0, 0, 1, 0, 0};
    std::vector<RECT> rects{{0, 0, 4, 4}, {10, 10, 6, 6}}; // the second inverted
    for (int pass = 0; pass < 2; ++pass) {
        RegionBytes bytes = RegionBytesOf(rects);
        HRGN plain = ExtCreateRegion(nullptr, bytes.size, bytes.data());
        HRGN mapped = ExtCreateRegion(&identity, bytes.size, bytes.data());
        EXPECT_FALSE(PtInRegion(plain, 7, 7)) << pass; // skipped when not mapped
        EXPECT_TRUE(PtInRegion(mapped, 7, 7)) << pass; // its upright self when mapped
        DeleteObject(plain);
        DeleteObject(mapped);
    }
    rects[0].right = 2; // the same list, changed
    HRGN changed = RegionOfRects(rects);
    EXPECT_FALSE(PtInRegion(changed, 3, 0));
    DeleteObject(changed);
}

TEST(RegionModel, CombineRgnMatchesThePixelModelWhateverTheDestination)
{
    std::mt19937 random(2);
    for (int round = 0; round < 300; ++round) {
        const std::vector<RECT> ra = RandomRects(random), rb = RandomRects(random);
        const Model a = ModelOf(ra), b = ModelOf(rb);
        const int mode = RGN_AND + round % 5;
        const Model expected = mode == RGN_AND    ? a & b
                               : mode == RGN_OR   ? a | b
                               : mode == RGN_XOR  ? a ^ b
                               : mode == RGN_DIFF ? a & ~b
                                                  : a;
        HRGN src1 = RegionOfRects(ra), src2 = RegionOfRects(rb), fresh = CreateRectRgn(1, 1, 2, 2);
        HRGN dest = round % 3 == 0 ? fresh : round % 3 == 1 ? src1 : src2;
        ExpectRegionIs(dest, expected, CombineRgn(dest, src1, src2, mode));
        for (HRGN region : {src1, src2, fresh})
            DeleteObject(region);
    }
}

int TypeOf(const Model& model)
{
    if (model.none())
        return NULLREGION;
    long left = kHigh, top = kHigh, right = kLow, bottom = kLow;
    for (long y = kLow; y < kHigh; ++y)
        for (long x = kLow; x < kHigh; ++x)
            if (At(model, x, y))
                left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1),
                bottom = std::max(bottom, y + 1);
    for (long y = top; y < bottom; ++y)
        for (long x = left; x < right; ++x)
            if (!At(model, x, y))
                return COMPLEXREGION;
    return SIMPLEREGION;
}

// Unions may be formed only when the region is read. Chains of them, as a
// batch of stamps makes (each union kept in the newest shape, the previous
// region deleted), longer than any region waits, with a region joined to
// itself, and read or moved halfway, must give the same pixels, form and
// type as unions formed at once.
TEST(RegionModel, ChainedUnionsMatchThePixelModelHoweverTheyAreHeldAndRead)
{
    std::mt19937 random(4);
    std::uniform_int_distribution<int> length(1, 40), percent(0, 99);
    for (int round = 0; round < 150; ++round) {
        Model expected;
        HRGN accumulated = nullptr;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            std::vector<RECT> rects = RandomRects(random);
            if (round % 2) { // thin shapes far apart, whose union is never one rectangle
                for (RECT& r : rects)
                    r = {r.left, r.top, r.left + 1 + r.right % 3, r.top + 1 + r.bottom % 3};
            }
            HRGN shape = RegionOfRects(rects);
            expected |= ModelOf(rects);
            if (!accumulated) {
                accumulated = shape;
                continue;
            }
            const int pick = percent(random);
            HRGN dest = pick < 70 ? shape : pick < 85 ? accumulated : CreateRectRgn(0, 0, 5, 5);
            const int type = CombineRgn(dest, accumulated, shape, RGN_OR);
            ASSERT_EQ(type, TypeOf(expected)) << "round " << round << ", union " << i;
            if (percent(random) < 5) {
                EXPECT_EQ(CombineRgn(dest, dest, dest, RGN_OR), type);
            }
            for (HRGN region : {accumulated, shape})
                if (region != dest)
                    DeleteObject(region);
            accumulated = dest;
            if (percent(random) < 5) {
                RECT box;
                EXPECT_EQ(GetRgnBox(accumulated, &box), type);
            }
            if (percent(random) < 5) {
                OffsetRgn(accumulated, 1, 0);
                OffsetRgn(accumulated, -1, 0);
            }
        }
        RECT box;
        ExpectRegionIs(accumulated, expected, GetRgnBox(accumulated, &box));
        DeleteObject(accumulated);
    }
}

// GDI wraps round; here the region must stay whole, so the offset fails.
TEST(RegionModel, OffsetRgnPastThirtyTwoBitsFailsAndKeepsTheRegion)
{
    HRGN region = CreateRectRgn(-5, -5, 32, 32);
    EXPECT_EQ(OffsetRgn(region, 0x7FFFFFF0, 0), ERROR);
    EXPECT_EQ(OffsetRgn(region, 0, -0x7FFFFFFF), ERROR);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
    EXPECT_EQ(BoxOf(box), (Box{-5, -5, 32, 32}));
    EXPECT_EQ(OffsetRgn(region, 0x7FFFFFFF - 32, 0), SIMPLEREGION); // up to the edge is fine
    DeleteObject(region);
}

} // namespace
