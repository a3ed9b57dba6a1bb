#include "platform/x11/x11_rectangles.h"

void XRectanglesOf(const pixman_region32_t& region, std::vector<xcb_rectangle_t>& out, int scale)
{
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region), &count);
    out.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        out[std::size_t(i)] =
            xcb_rectangle_t{int16_t(boxes[i].x1 * scale), int16_t(boxes[i].y1 * scale),
                            uint16_t((boxes[i].x2 - boxes[i].x1) * scale),
                            uint16_t((boxes[i].y2 - boxes[i].y1) * scale)};
}
