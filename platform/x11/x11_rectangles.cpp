#include "platform/x11/x11_rectangles.h"

void XRectanglesOf(const pixman_region32_t& region, std::vector<XRectangle>& out, int scale)
{
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region), &count);
    out.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        out[std::size_t(i)] =
            XRectangle{short(boxes[i].x1 * scale), short(boxes[i].y1 * scale),
                       static_cast<unsigned short>((boxes[i].x2 - boxes[i].x1) * scale),
                       static_cast<unsigned short>((boxes[i].y2 - boxes[i].y1) * scale)};
}
