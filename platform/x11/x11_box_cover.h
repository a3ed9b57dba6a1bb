// The rectangles that pixels are sent by: the region's own y-x banded
// rectangles, with each one joined to the one right below it when both span
// the same columns. The result still covers exactly the region, each pixel
// once, in fewer rectangles: pixman starts a new band wherever any outline
// in the row changes, so figures standing side by side cut each other's
// straight parts into rows.
#pragma once

#include <pixman.h>
#include <vector>

void CoverRegion(const pixman_region32_t& region, std::vector<pixman_box32_t>& boxes);
