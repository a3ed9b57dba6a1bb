// A region's rectangles as X takes them. pixman keeps them y-x banded, which
// X's requests accept as YXBanded, so they go as they are.
#pragma once

#include <pixman.h>
#include <vector>
#include <xcb/xcb.h>

// Replaces `out` with the rectangles of `region`, each enlarged `scale`
// times about the origin, which must lie within X's 16-bit coordinates (a
// window's or a pixmap's bounds).
void XRectanglesOf(const pixman_region32_t& region, std::vector<xcb_rectangle_t>& out,
                   int scale = 1);
