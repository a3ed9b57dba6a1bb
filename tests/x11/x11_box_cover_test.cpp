// The boxes that the X11 window sends a shape's pixels by: a few around
// the figures, together holding every pixel of the shape, never overlapping.
#include <gtest/gtest.h>

#include <vector>

#include "platform/user32_gdi32/pixman_region.h"
#include "platform/x11/x11_box_cover.h"

namespace {

// A figure-like outline at (x, y): a head over a wider body, with a gap
// between the legs, so that its rows do not all span the same columns.
void AddFigure(PixmanRegion& region, int x, int y)
{
    const pixman_box32_t parts[] = {{x + 20, y, x + 40, y + 16},
                                    {x + 8, y + 16, x + 56, y + 48},
                                    {x + 12, y + 48, x + 28, y + 64},
                                    {x + 36, y + 48, x + 52, y + 64}};
    for (const pixman_box32_t& part : parts)
        pixman_region32_union_rect(region.get(), region.get(), part.x1, part.y1,
                                   unsigned(part.x2 - part.x1), unsigned(part.y2 - part.y1));
}

std::vector<pixman_box32_t> BoundsOf(const PixmanRegion& region)
{
    std::vector<pixman_box32_t> boxes;
    BoundScratch scratch;
    BoundRegion(*region.get(), boxes, scratch);
    return boxes;
}

bool Overlap(const pixman_box32_t& a, const pixman_box32_t& b)
{
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

void ExpectDisjointAndCovering(const PixmanRegion& region,
                               const std::vector<pixman_box32_t>& boxes)
{
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << i << " and " << j;
    PixmanRegion covered;
    for (const pixman_box32_t& box : boxes)
        pixman_region32_union_rect(covered.get(), covered.get(), box.x1, box.y1,
                                   unsigned(box.x2 - box.x1), unsigned(box.y2 - box.y1));
    PixmanRegion left;
    pixman_region32_subtract(left.get(), const_cast<pixman_region32_t*>(region.get()),
                             covered.get());
    EXPECT_FALSE(pixman_region32_not_empty(left.get())) << "pixels outside every box";
}

TEST(BoxCover, NineFiguresInARowAreNineBoxesAroundThem)
{
    // Figures at different heights cut each other's rows into bands, so
    // the region has far more rectangles than figures.
    PixmanRegion region;
    for (int i = 0; i < 9; ++i)
        AddFigure(region, 100 + 70 * i, 200 + 3 * i);
    ASSERT_GT(pixman_region32_n_rects(region.get()), 50);
    const std::vector<pixman_box32_t> boxes = BoundsOf(region);
    ASSERT_EQ(boxes.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        const pixman_box32_t expected{100 + 70 * i + 8, 200 + 3 * i, 100 + 70 * i + 56,
                                      200 + 3 * i + 64};
        bool found = false;
        for (const pixman_box32_t& box : boxes)
            found |= box.x1 == expected.x1 && box.y1 == expected.y1 && box.x2 == expected.x2 &&
                     box.y2 == expected.y2;
        EXPECT_TRUE(found) << "figure " << i;
    }
    ExpectDisjointAndCovering(region, boxes);
}

TEST(BoxCover, TouchingFiguresShareABoxAndStackedOnesDoNot)
{
    PixmanRegion region;
    AddFigure(region, 0, 0);
    AddFigure(region, 48, 10);  // its body touches the first one's: one box
    AddFigure(region, 300, 0);
    AddFigure(region, 300, 80); // right under the third, a row apart: a box of its own
    AddFigure(region, 304, 144); // right under that, touching it: the same box
    const std::vector<pixman_box32_t> boxes = BoundsOf(region);
    ASSERT_EQ(boxes.size(), 3u);
    ExpectDisjointAndCovering(region, boxes);

    EXPECT_TRUE(BoundsOf(PixmanRegion()).empty());
    const std::vector<pixman_box32_t> one = BoundsOf(PixmanRegion(5, 6, 7, 9));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].x1, 5);
    EXPECT_EQ(one[0].y2, 9);
}

} // namespace
