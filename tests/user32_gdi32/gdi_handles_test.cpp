// The project's handle table: counts, handle values, refusals, and the
// deletion of a brush that a DC still holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/winapi.h"

namespace {

using gdi32_internals::Kind;
using gdi32_internals::LiveObjects;

void ExpectNothingLive()
{
    EXPECT_EQ(LiveObjects(Kind::Region), 0u);
    EXPECT_EQ(LiveObjects(Kind::Brush), 0u);
    EXPECT_EQ(LiveObjects(Kind::DC), 0u);
}

TEST(GdiHandles, CountsReturnToZeroAndStockIsNotCounted)
{
    ExpectNothingLive();
    TiledImage image(16, 16, 0);
    HDC dc = gdi32_internals::CreateImageDC(&image);
    HRGN region = CreateRectRgn(0, 0, 4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(LiveObjects(Kind::Region), 1u);
    EXPECT_EQ(LiveObjects(Kind::Brush), 1u);
    EXPECT_EQ(LiveObjects(Kind::DC), 1u);
    EXPECT_FALSE(DeleteObject(dc)); // DeleteImageDC's job
    gdi32_internals::DeleteImageDC(dc);
    DeleteObject(region);
    DeleteObject(brush);
    ExpectNothingLive();
}

// The program writes region handles out as decimal and reads them back
// into a 32-bit number; every handle must survive that.
TEST(GdiHandles, HandlesArePositive31BitNumbersThatSurviveDecimalText)
{
    std::vector<HRGN> regions;
    for (int i = 0; i < 3000; ++i) {
        regions.push_back(CreateRectRgn(0, 0, i + 1, 1));
        if (i % 3 == 0)
            DeleteObject(regions[i / 2]); // churn the slots
    }
    for (HRGN region : regions) {
        const uintptr_t value = reinterpret_cast<uintptr_t>(region);
        ASSERT_GT(value, 0u);
        ASSERT_LT(value, uintptr_t(1) << 31);
        char text[16];
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
        const int32_t back = int32_t(std::strtol(text, nullptr, 10));
        EXPECT_EQ(reinterpret_cast<HRGN>(intptr_t(back)), region);
    }
    for (HRGN region : regions)
        DeleteObject(region);
    ExpectNothingLive();
}

TEST(GdiHandles, StaleAndForgedHandlesAreRefused)
{
    HRGN deleted = CreateRectRgn(0, 0, 5, 5);
    DeleteObject(deleted);
    // Slots get reused; a deleted handle must not name a new region, not even
    // after more deletions than a slot has generations.
    for (int i = 0; i < 70000; ++i) {
        HRGN fresh = CreateRectRgn(0, 0, 1, 1);
        ASSERT_NE(fresh, deleted);
        DeleteObject(fresh);
    }
    EXPECT_EQ(GetObjectType(deleted), 0u);
    EXPECT_EQ(OffsetRgn(deleted, 1, 1), ERROR);

    HRGN live = CreateRectRgn(0, 0, 1, 1);
    HBRUSH brush = CreateSolidBrush(0);
    int on_stack = 0;
    const uintptr_t value = reinterpret_cast<uintptr_t>(live);
    const std::vector<HRGN> forged = {
        reinterpret_cast<HRGN>(uintptr_t(1)),
        reinterpret_cast<HRGN>(uintptr_t(0xFFFF)),
        reinterpret_cast<HRGN>(intptr_t(-1)),
        reinterpret_cast<HRGN>(&on_stack),
        reinterpret_cast<HRGN>(value ^ (uintptr_t(1) << 20)), // other generation
        reinterpret_cast<HRGN>(value | (uintptr_t(1) << 31)),
        reinterpret_cast<HRGN>(brush), // a brush is not a region
    };
    for (HRGN bad : forged) {
        RECT box = {7, 7, 7, 7};
        EXPECT_EQ(GetRgnBox(bad, &box), ERROR);
        EXPECT_EQ(box.left, 7);
        EXPECT_EQ(CombineRgn(bad, live, live, RGN_OR), ERROR);
        EXPECT_EQ(gdi32_internals::RegionOf(bad), nullptr);
    }
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(intptr_t(-1))));
    EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
    DeleteObject(brush);
    DeleteObject(live);
    ExpectNothingLive();
}

// A selected brush outlives DeleteObject until its DC lets go of it, so the
// DC never holds a freed brush; then it goes, and its handle is stale.
TEST(GdiHandles, ASelectedBrushIsDeletedWhenItsDCLetsGo)
{
    TiledImage image(8, 8, 0);
    HDC dc = gdi32_internals::CreateImageDC(&image);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    SelectObject(dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(LiveObjects(Kind::Brush), 1u);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), brush);
    EXPECT_EQ(LiveObjects(Kind::Brush), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);

    HBRUSH held = CreateSolidBrush(RGB(2, 2, 2));
    SelectObject(dc, held);
    DeleteObject(held);
    gdi32_internals::DeleteImageDC(dc); // the DC's end lets go too
    EXPECT_EQ(GetObjectType(held), 0u);
    ExpectNothingLive();
}

TEST(GdiHandles, ImageDCsClearAndCopyPicturesThroughTheirClip)
{
    TiledImage image(8, 4, 0);
    HDC dc = gdi32_internals::CreateImageDC(&image);
    EXPECT_EQ(gdi32_internals::ImageOf(dc), &image);
    gdi32_internals::Clear(dc, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(image.Pixel(7, 3), 0x112233u); // COLORREF in, 0x00RRGGBB stored

    HRGN clip = CreateRectRgn(1, 0, 8, 4);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    const uint32_t picture[] = {0x102030, 0x405060};
    gdi32_internals::CopyPicture(dc, 0, 0, 2, 1, picture, 2);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x11, 0x22, 0x33)); // clipped away
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0x40, 0x50, 0x60));
    gdi32_internals::DeleteImageDC(dc);
    EXPECT_EQ(gdi32_internals::ImageOf(dc), nullptr);
    ExpectNothingLive();
}

} // namespace
