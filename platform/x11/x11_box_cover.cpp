#include "platform/x11/x11_box_cover.h"

#include <cstddef>

void CoverRegion(const pixman_region32_t& region, std::vector<pixman_box32_t>& boxes)
{
    boxes.clear();
    int count = 0;
    const pixman_box32_t* rects =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region), &count);
    // The boxes that end where the next band may start, sorted by x.
    std::vector<pixman_box32_t> open, next;
    int i = 0;
    while (i < count) {
        const int y1 = rects[i].y1;
        next.clear();
        std::size_t j = 0;
        for (; i < count && rects[i].y1 == y1; ++i) {
            // Both bands are sorted by x: walk the open boxes alongside.
            while (j < open.size() && open[j].x1 < rects[i].x1)
                boxes.push_back(open[j++]);
            if (j < open.size() && open[j].x1 == rects[i].x1 && open[j].x2 == rects[i].x2 &&
                open[j].y2 == y1) {
                pixman_box32_t joined = open[j++];
                joined.y2 = rects[i].y2;
                next.push_back(joined);
            } else {
                next.push_back(rects[i]);
            }
        }
        while (j < open.size())
            boxes.push_back(open[j++]);
        open.swap(next);
    }
    boxes.insert(boxes.end(), open.begin(), open.end());
}
