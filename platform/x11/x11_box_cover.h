// The boxes that a region's pixels are sent by, under a clip of the region
// itself: a few boxes around it rather than its many rectangles. pixman
// starts a new band wherever any outline in the row changes, so figures
// standing side by side cut each other into a couple of hundred rectangles;
// a put for each costs far more than the pixels around them.
//
// The region's rectangles are grouped where their columns overlap or touch
// (figures side by side fall apart), each group split again where its rows
// leave a gap (figures one above the other), and so on while a group still
// falls apart: about one box per figure. The boxes are disjoint and hold
// all of the region, and some pixels around it.
#pragma once

#include <pixman.h>
#include <vector>

// Working space, kept by the caller between calls.
struct BoundScratch {
    std::vector<pixman_box32_t> rects, sorted;
    std::vector<int> columns;
};

void BoundRegion(const pixman_region32_t& region, std::vector<pixman_box32_t>& boxes,
                 BoundScratch& scratch);
