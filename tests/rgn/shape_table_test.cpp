#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "forms/stored_forms.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/sim/sim_desktop.h"
#include "platform/toolkit/toolkit.h"
#include "rgn/mod_RGN_UserFunction.h"
#include "rgn/shape_table.h"
#include "tests/support/error_number.h"
#include "tests/support/region_reading.h"
#include "tools/outline/outline_rule.h"

namespace {

RECT ToRect(const OutlineRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

class ShapeTableTest : public ::testing::Test {
protected:
    ShapeTableTest() { RGN_BuildShapeTable(); }
    SimDesktop sim;
};

TEST_F(ShapeTableTest, RecordsAreWhatTheOutlineRuleMakesOfEachPicture)
{
    int broken_by_a_looser_key = 0;
    for (int k = 0; k < kFramePictureCount; ++k) {
        std::string error;
        auto picture = DecodeBmp24(FramePictureBmp(k), &error);
        ASSERT_TRUE(picture) << error;
        ShapeOutline outline = TraceOutline(*picture);
        const ShapeRecord& record = ShapeTable[k];
        ASSERT_EQ(record.rdh.nCount, outline.rects.size()) << "shape " << k;
        EXPECT_EQ(record.rdh.dwSize, 32u);
        EXPECT_EQ(record.rdh.iType, 1u);
        EXPECT_EQ(record.rdh.nRgnSize, 16 * record.rdh.nCount);
        EXPECT_EQ(ToRect(outline.bound), record.rdh.rcBound);
        for (std::size_t i = 0; i < outline.rects.size(); ++i)
            EXPECT_EQ(ToRect(outline.rects[i]), record.Buffer[i]) << "shape " << k << " entry " << i;
        for (std::size_t i = record.rdh.nCount; i < 64; ++i)
            EXPECT_EQ(record.Buffer[i], (RECT{0, 0, 0, 0})) << "shape " << k << " entry " << i;

        // Taking the dark edge pixels for background loses part of the outline.
        ShapeOutline darker = TraceOutline(*picture, [](Rgb c) { return c.r + c.g + c.b <= 12; });
        broken_by_a_looser_key += darker.rects != outline.rects;
    }
    EXPECT_GT(broken_by_a_looser_key, 0) << "the key must be matched exactly";
}

TEST_F(ShapeTableTest, ShapeZeroIsTheFlatTube)
{
    const std::vector<RECT> expected = {
        {54, 40, 58, 41}, {38, 41, 60, 42}, {18, 42, 61, 43}, {5, 43, 62, 44}, {4, 44, 62, 45},
        {3, 45, 63, 46},  {2, 46, 63, 51},  {1, 51, 63, 54},  {2, 54, 62, 56}, {2, 56, 61, 57},
        {3, 57, 59, 58},  {3, 58, 45, 59},  {4, 59, 32, 60},  {4, 60, 19, 61},
    };
    const ShapeRecord& record = ShapeTable[0];
    ASSERT_EQ(record.rdh.nCount, expected.size());
    EXPECT_EQ(record.rdh.rcBound, (RECT{1, 40, 63, 61}));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(record.Buffer[i], expected[i]) << "entry " << i;

    HRGN region = RGN_CreateShapeRegion(0, 0, 0);
    EXPECT_EQ(BoxesOf(region), BoxesOf(expected)); // not moved, same bands
    DeleteObject(region);
}

TEST_F(ShapeTableTest, EveryShapeFitsItsCellAndTheUnfilledSlotsStayZero)
{
    for (int k = 0; k <= 12; ++k) {
        const RECT& bound = ShapeTable[k].rdh.rcBound;
        EXPECT_GE(bound.left, 0);
        EXPECT_GE(bound.top, 0);
        EXPECT_LE(bound.right, 64);
        EXPECT_LE(bound.bottom, 64);
        EXPECT_LE(ShapeTable[k].rdh.nCount, 64u);
    }
    const ShapeRecord zero{};
    EXPECT_EQ(std::memcmp(&ShapeTable[13], &zero, sizeof zero), 0);
    const UserShapeRecord user_zero{};
    for (int slot = 0; slot <= 7; ++slot)
        EXPECT_EQ(std::memcmp(&UserShapeTable[slot], &user_zero, sizeof user_zero), 0);

    // A second build stores the same values and nothing else.
    ShapeRecord before[14];
    for (int k = 0; k <= 13; ++k)
        before[k] = ShapeTable[k];
    RGN_BuildShapeTable();
    for (int k = 0; k <= 13; ++k)
        EXPECT_EQ(std::memcmp(&before[k], &ShapeTable[k], sizeof before[k]), 0) << "slot " << k;
}

TEST_F(ShapeTableTest, RegionsMoveByWholePixelsOfTheTwipsGiven)
{
    auto box = [](double shape, double x, double y) {
        HRGN region = RGN_CreateShapeRegion(shape, x, y);
        RECT bound{};
        GetRgnBox(region, &bound);
        DeleteObject(region);
        return bound;
    };
    const RECT four = ShapeTable[4].rdh.rcBound;
    EXPECT_EQ(box(4, 1500, -20),
              (RECT{four.left + 100, four.top - 1, four.right + 100, four.bottom - 1}));
    const RECT zero = ShapeTable[0].rdh.rcBound;
    EXPECT_EQ(box(0, 14, 0).left, zero.left + 0);
    EXPECT_EQ(box(0, 22.5, 0).left, zero.left + 1); // 22.5 rounds to 22
    EXPECT_EQ(box(0, 37.5, 0).left, zero.left + 2); // 37.5 rounds to 38
    EXPECT_EQ(box(0, 0, -7).top, zero.top);         // truncated toward zero

    // Indexes round half to even after the comparison with 10000.
    EXPECT_EQ(box(2.5, 0, 0), ShapeTable[2].rdh.rcBound);
    EXPECT_EQ(box(3.5, 0, 0), ShapeTable[4].rdh.rcBound);

    sim.SetTwipsPerPixel(7.5, 12); // a factor of 7.5 divides as 8
    EXPECT_EQ(box(0, 80, 120).left, zero.left + 10);
    EXPECT_EQ(box(0, 80, 120).top, zero.top + 10);
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 0u);
}

TEST_F(ShapeTableTest, UnfilledRecordsEndTheProgramWithTheRegionDataMessage)
{
    for (double shape : {13.0, 10000.0, 10007.0}) {
        EXPECT_THROW(RGN_CreateShapeRegion(shape, 0, 0), ProgramEnded) << shape;
    }
    ASSERT_EQ(sim.Messages().size(), 3u);
    for (const std::string& message : sim.Messages())
        EXPECT_EQ(message, "It failed in reading of region data.");

    constexpr int kSubscript = 9;
    for (double shape : {14.0, -1.0, 10008.0, 9999.6})
        EXPECT_EQ(ErrorNumberOf([&] { RGN_CreateShapeRegion(shape, 0, 0); }), kSubscript) << shape;
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 0u);
}

TEST(ShapeSize, IsTheFixedCellForFramesAndZeroForAnythingElse)
{
    for (int k = 0; k <= 12; ++k) {
        EXPECT_EQ(RGN_ShapeWidth(k), 960);
        EXPECT_EQ(RGN_ShapeHeight(k), 960);
    }
    for (double other : {13.0, -1.0, 2.5, 10000.0}) {
        EXPECT_EQ(RGN_ShapeWidth(other), 0);
        EXPECT_EQ(RGN_ShapeHeight(other), 0);
    }
}

} // namespace
