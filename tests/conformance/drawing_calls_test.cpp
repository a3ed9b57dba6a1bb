// Clip regions, brushes and fills on a DC, held to the same expectations on
// the project's gdi32 and on Windows'.
#include <gtest/gtest.h>

#include "tests/conformance/test_dc.h"
#include "tests/support/region_reading.h"

namespace {

constexpr int kSide = 32;

class DrawingCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        dc_ = MakeTestDC(kSide, kSide);
        ASSERT_NE(dc_, nullptr);
    }
    void TearDown() override
    {
        FreeTestDC(dc_);
        for (HGDIOBJ object : made_)
            DeleteObject(object);
    }
    template <class H>
    H Keep(H object)
    {
        made_.push_back(object);
        return object;
    }
    void Paint(COLORREF color)
    {
        HRGN all = CreateRectRgn(-5, -5, kSide + 5, kSide + 5);
        HBRUSH brush = CreateSolidBrush(color);
        EXPECT_TRUE(FillRgn(dc_, all, brush));
        DeleteObject(brush);
        DeleteObject(all);
    }
    // How many pixels of the DC hold `color`.
    int Count(COLORREF color)
    {
        int count = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                count += GetPixel(dc_, x, y) == color;
        return count;
    }

    HDC dc_ = nullptr;
    std::vector<HGDIOBJ> made_;
};

TEST_F(DrawingCalls, FillRgnPaintsTheBrushColourInsideTheDC)
{
    EXPECT_EQ(GetObjectType(dc_), DWORD(OBJ_MEMDC));
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0, 0, 0));
    HRGN square = Keep(CreateRectRgn(4, 6, 10, 9));
    HBRUSH brush = Keep(CreateSolidBrush(RGB(10, 20, 30)));
    EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(square), DWORD(OBJ_REGION));
    EXPECT_TRUE(FillRgn(dc_, square, brush));
    EXPECT_EQ(GetPixel(dc_, 4, 6), RGB(10, 20, 30)); // red stays red
    EXPECT_EQ(GetPixel(dc_, 9, 8), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(dc_, 10, 8), RGB(0, 0, 0));
    EXPECT_EQ(Count(RGB(10, 20, 30)), 6 * 3);
    EXPECT_EQ(GetPixel(dc_, -1, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc_, 0, kSide), CLR_INVALID);

    // Null brushes, stock or made, paint nothing and still succeed.
    HRGN all = Keep(CreateRectRgn(0, 0, kSide, kSide));
    const LOGBRUSH hollow = {BS_NULL, RGB(255, 0, 0), 0};
    EXPECT_TRUE(FillRgn(dc_, all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
    EXPECT_TRUE(FillRgn(dc_, all, Keep(CreateBrushIndirect(&hollow))));
    EXPECT_EQ(Count(RGB(10, 20, 30)), 6 * 3);
    const LOGBRUSH solid = {BS_SOLID, RGB(1, 2, 3), 0};
    EXPECT_TRUE(FillRgn(dc_, all, Keep(CreateBrushIndirect(&solid))));
    EXPECT_EQ(Count(RGB(1, 2, 3)), kSide * kSide);
}

TEST_F(DrawingCalls, TheDCKeepsItsOwnCopyOfTheClip)
{
    HRGN clip = CreateRectRgn(10, 10, 20, 20);
    EXPECT_EQ(SelectClipRgn(dc_, clip), SIMPLEREGION);
    OffsetRgn(clip, 5, 5); // changing the caller's region does not move the clip
    Paint(RGB(0, 0, 255));
    EXPECT_EQ(Count(RGB(0, 0, 255)), 100);
    EXPECT_EQ(GetPixel(dc_, 10, 10), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc_, 20, 20), RGB(0, 0, 0));

    EXPECT_TRUE(DeleteObject(clip)); // nor does deleting it
    Paint(RGB(0, 255, 0));
    EXPECT_EQ(Count(RGB(0, 255, 0)), 100);
    HRGN copy = Keep(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetClipRgn(dc_, copy), 1);
    EXPECT_TRUE(EqualRgn(copy, Keep(CreateRectRgn(10, 10, 20, 20))));

    // Selecting a region as an object sets the clip and answers its type.
    HRGN two = Keep(RegionOfRects({{0, 0, 2, 2}, {5, 5, 6, 6}}));
    EXPECT_EQ(SelectObject(dc_, two), reinterpret_cast<HGDIOBJ>(COMPLEXREGION));
    Paint(RGB(255, 0, 0));
    EXPECT_EQ(Count(RGB(255, 0, 0)), 5);

    HRGN empty = Keep(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(SelectClipRgn(dc_, empty), NULLREGION);
    Paint(RGB(255, 255, 255));
    EXPECT_EQ(Count(RGB(255, 255, 255)), 0);

    EXPECT_EQ(SelectClipRgn(dc_, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc_, copy), 0);
    Paint(RGB(255, 255, 255));
    EXPECT_EQ(Count(RGB(255, 255, 255)), kSide * kSide);
}

TEST_F(DrawingCalls, SelectObjectHandsBackThePreviousBrush)
{
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    HBRUSH red = Keep(CreateSolidBrush(RGB(255, 0, 0)));
    HBRUSH green = Keep(CreateSolidBrush(RGB(0, 255, 0)));
    EXPECT_EQ(SelectObject(dc_, red), white); // a new DC holds the white brush
    EXPECT_EQ(SelectObject(dc_, green), red);
    EXPECT_EQ(SelectObject(dc_, red), green);
    EXPECT_EQ(SelectObject(dc_, white), red);
    Paint(RGB(0, 0, 0));
    HRGN all = Keep(CreateRectRgn(0, 0, kSide, kSide));
    EXPECT_TRUE(FillRgn(dc_, all, green)); // still usable after being swapped out
    EXPECT_EQ(Count(RGB(0, 255, 0)), kSide * kSide);

    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_TRUE(FillRgn(dc_, all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(Count(RGB(0, 0, 0)), kSide * kSide);
}

TEST_F(DrawingCalls, EveryCallRefusesADeletedHandle)
{
    HRGN region = CreateRectRgn(0, 0, 8, 8);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    HRGN live = Keep(CreateRectRgn(0, 0, 4, 4));
    ASSERT_TRUE(DeleteObject(region));
    ASSERT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(region));
    EXPECT_FALSE(DeleteObject(brush));

    EXPECT_EQ(OffsetRgn(region, 1, 1), ERROR);
    RECT box = {1, 2, 3, 4};
    EXPECT_EQ(GetRgnBox(region, &box), ERROR);
    EXPECT_EQ(BoxOf(box), (Box{1, 2, 3, 4}));
    EXPECT_EQ(CombineRgn(region, live, live, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(live, region, live, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(live, live, region, RGN_OR), ERROR);
    EXPECT_EQ(BoxOf(live), (Box{0, 0, 4, 4}));
    EXPECT_EQ(GetRegionData(region, 0, nullptr), 0u);
    EXPECT_FALSE(PtInRegion(region, 1, 1));
    EXPECT_FALSE(EqualRgn(region, region));
    EXPECT_EQ(GetObjectType(region), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(SelectClipRgn(dc_, region), ERROR);
    EXPECT_EQ(SelectObject(dc_, brush), nullptr);
    EXPECT_FALSE(FillRgn(dc_, region, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_FALSE(FillRgn(dc_, live, brush));
    EXPECT_EQ(Count(RGB(0, 0, 0)), kSide * kSide);
}

} // namespace
