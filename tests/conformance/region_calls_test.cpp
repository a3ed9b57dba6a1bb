// Region calls, held to the same expectations on the project's gdi32 and on
// Windows'.
#include <gtest/gtest.h>

#include "tests/conformance/test_dc.h"
#include "tests/support/region_reading.h"

namespace {

const Box kEmpty = {0, 0, 0, 0};

TEST(RegionCalls, ExtCreateRegionUnionsRectanglesIntoBands)
{
    HRGN region = RegionOfRects({{0, 0, 10, 10}, {5, 5, 15, 15}});
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), COMPLEXREGION);
    EXPECT_EQ(BoxOf(box), (Box{0, 0, 15, 15}));
    EXPECT_EQ(BoxesOf(region), (std::vector<Box>{{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}));
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 12, 7));
    EXPECT_FALSE(PtInRegion(region, 12, 2));
    EXPECT_FALSE(PtInRegion(region, 15, 14)); // right and bottom edges are outside

    // The header as GetRegionData fills it; a buffer one byte short gets 0.
    const DWORD size = GetRegionData(region, 0, nullptr);
    EXPECT_EQ(size, sizeof(RGNDATAHEADER) + 3 * sizeof(RECT));
    RegionBytes bytes = RegionBytesOf({{}, {}, {}});
    EXPECT_EQ(GetRegionData(region, size - 1, bytes.data()), 0u);
    ASSERT_EQ(GetRegionData(region, size, bytes.data()), size);
    EXPECT_EQ(bytes.data()->rdh.dwSize, sizeof(RGNDATAHEADER));
    EXPECT_EQ(bytes.data()->rdh.iType, DWORD(RDH_RECTANGLES));
    EXPECT_EQ(bytes.data()->rdh.nCount, 3u);
    EXPECT_EQ(BoxOf(bytes.data()->rdh.rcBound), (Box{0, 0, 15, 15}));
    DeleteObject(region);

    // Touching rectangles merge, sideways and downwards.
    HRGN merged = RegionOfRects({{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 20}});
    EXPECT_EQ(BoxesOf(merged), (std::vector<Box>{{0, 0, 20, 20}}));
    RECT merged_box;
    EXPECT_EQ(GetRgnBox(merged, &merged_box), SIMPLEREGION);
    DeleteObject(merged);
}

TEST(RegionCalls, ExtCreateRegionRefusesBadData)
{
    RegionBytes zeroed = RegionBytesOf({});
    std::memset(zeroed.data(), 0, sizeof(RGNDATAHEADER));
    EXPECT_EQ(ExtCreateRegion(nullptr, 0, zeroed.data()), nullptr);

    RegionBytes short_header = RegionBytesOf({{0, 0, 10, 10}});
    short_header.data()->rdh.dwSize = sizeof(RGNDATAHEADER) - 1;
    EXPECT_EQ(ExtCreateRegion(nullptr, short_header.size, short_header.data()), nullptr);

    RegionBytes two = RegionBytesOf({{0, 0, 10, 10}, {10, 10, 20, 20}});
    HRGN short_data = ExtCreateRegion(nullptr, two.size - 1, two.data());
    if (!OnWine()) { // Wine takes it all the same
        EXPECT_EQ(short_data, nullptr);
    }
    if (short_data)
        DeleteObject(short_data);

    // The type goes unchecked (since Windows XP).
    RegionBytes other_type = RegionBytesOf({{0, 0, 10, 10}});
    other_type.data()->rdh.iType = RDH_RECTANGLES + 1;
    HRGN typed = ExtCreateRegion(nullptr, other_type.size, other_type.data());
    EXPECT_EQ(BoxesOf(typed), (std::vector<Box>{{0, 0, 10, 10}}));
    DeleteObject(typed);

    // A bare header with no rectangles is a valid, empty region.
    RegionBytes none = RegionBytesOf({});
    HRGN empty = ExtCreateRegion(nullptr, sizeof(RGNDATAHEADER), none.data());
    ASSERT_NE(empty, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    EXPECT_EQ(BoxOf(box), kEmpty);
    DeleteObject(empty);
}

TEST(RegionCalls, EmptyAndInvertedRectanglesAreSkipped)
{
    HRGN region = RegionOfRects({{5, 5, 5, 10}, {10, 10, 0, 0}, {20, 20, 30, 30}, {3, 8, 9, 8}});
    EXPECT_EQ(BoxesOf(region), (std::vector<Box>{{20, 20, 30, 30}}));
    DeleteObject(region);

    HRGN nothing = RegionOfRects({{10, 10, 0, 0}});
    RECT box;
    EXPECT_EQ(GetRgnBox(nothing, &box), NULLREGION);
    EXPECT_EQ(BoxOf(box), kEmpty);
    DeleteObject(nothing);
}

TEST(RegionCalls, ExtCreateRegionMapsRectanglesThroughATransform)
{
    const struct {
        XFORM xform;
        RECT rect;
        Box mapped;
    } cases[] = {
        {{0.5f, 0, 0, 0.5f, 20, 40}, {111, 222, 333, 444}, {76, 151, 187, 262}}, // halves round up
        {{-1, 0, 0, 1, 0, 0}, {10, 10, 20, 30}, {-20, 10, -10, 30}},             // mirrored
        {{0, 1, -1, 0, 0, 0}, {10, 10, 20, 30}, {-30, 10, -10, 20}},             // quarter turn
        {{1, 0, 0, 1, 0, 0}, {20, 30, 10, 10}, {10, 10, 20, 30}}, // inverted, yet kept
    };
    for (const auto& c : cases) {
        RegionBytes bytes = RegionBytesOf({c.rect});
        HRGN region = ExtCreateRegion(&c.xform, bytes.size, bytes.data());
        ASSERT_NE(region, nullptr);
        EXPECT_EQ(BoxesOf(region), (std::vector<Box>{c.mapped}));
        DeleteObject(region);
    }
}

TEST(RegionCalls, CreateRectRgnAndOffsetRgn)
{
    HRGN region = CreateRectRgn(10, 20, 0, 5); // corners put in order
    EXPECT_EQ(BoxOf(region), (Box{0, 5, 10, 20}));
    EXPECT_EQ(OffsetRgn(region, -3, 4), SIMPLEREGION);
    EXPECT_EQ(BoxOf(region), (Box{-3, 9, 7, 24}));
    DeleteObject(region);

    HRGN empty = CreateRectRgn(5, 5, 5, 9);
    EXPECT_EQ(OffsetRgn(empty, 7, 7), NULLREGION);
    EXPECT_EQ(BoxOf(empty), kEmpty);
    DeleteObject(empty);
}

TEST(RegionCalls, CombineRgnEveryModeIntoOneOfItsSources)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 0, 15, 10);
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    const struct {
        int mode;
        int type;
        std::vector<Box> boxes;
    } cases[] = {
        {RGN_OR, SIMPLEREGION, {{0, 0, 15, 10}}},
        {RGN_AND, SIMPLEREGION, {{5, 0, 10, 10}}},
        {RGN_DIFF, SIMPLEREGION, {{0, 0, 5, 10}}},
        {RGN_XOR, COMPLEXREGION, {{0, 0, 5, 10}, {10, 0, 15, 10}}},
        {RGN_COPY, SIMPLEREGION, {{0, 0, 10, 10}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        HRGN into_first = CreateRectRgn(0, 0, 10, 10);
        HRGN into_second = CreateRectRgn(5, 0, 15, 10);
        HRGN other_first = CreateRectRgn(0, 0, 10, 10);
        HRGN other_second = CreateRectRgn(5, 0, 15, 10);
        EXPECT_EQ(CombineRgn(into_first, into_first, other_second, c.mode), c.type);
        EXPECT_EQ(BoxesOf(into_first), c.boxes);
        EXPECT_EQ(CombineRgn(into_second, other_first, into_second, c.mode), c.type);
        EXPECT_EQ(BoxesOf(into_second), c.boxes);
        DeleteObject(into_first);
        DeleteObject(into_second);
        DeleteObject(other_first);
        DeleteObject(other_second);
    }

    HRGN distant = CreateRectRgn(50, 50, 60, 60);
    EXPECT_EQ(CombineRgn(result, a, distant, RGN_AND), NULLREGION);
    EXPECT_EQ(BoxOf(result), kEmpty);
    // Empty regions are equal however they were made.
    HRGN other_empty = CreateRectRgn(7, 7, 7, 7);
    EXPECT_TRUE(EqualRgn(result, other_empty));
    EXPECT_FALSE(EqualRgn(a, b));
    EXPECT_EQ(CombineRgn(result, b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(result, b));
    EXPECT_EQ(CombineRgn(result, a, b, 0), ERROR); // no such mode
    for (HRGN region : {a, b, result, distant, other_empty})
        DeleteObject(region);
}

} // namespace
