#include "platform/x11/x11_box_cover.h"

#include <algorithm>
#include <cstddef>

namespace {

// Splits [begin, end) where no rectangle spans or touches the gap between
// its parts, along x (`across`) or along y, and bounds each part on its own.
// False when it stays in one part.
bool Split(pixman_box32_t* begin, pixman_box32_t* end, bool across,
           std::vector<pixman_box32_t>& boxes);

void Bound(pixman_box32_t* begin, pixman_box32_t* end, std::vector<pixman_box32_t>& boxes)
{
    if (Split(begin, end, true, boxes) || Split(begin, end, false, boxes))
        return;
    pixman_box32_t extents = *begin;
    for (const pixman_box32_t* box = begin; box != end; ++box) {
        extents.x1 = std::min(extents.x1, box->x1);
        extents.y1 = std::min(extents.y1, box->y1);
        extents.x2 = std::max(extents.x2, box->x2);
        extents.y2 = std::max(extents.y2, box->y2);
    }
    boxes.push_back(extents);
}

bool Split(pixman_box32_t* begin, pixman_box32_t* end, bool across,
           std::vector<pixman_box32_t>& boxes)
{
    auto low = [across](const pixman_box32_t& box) { return across ? box.x1 : box.y1; };
    auto high = [across](const pixman_box32_t& box) { return across ? box.x2 : box.y2; };
    std::sort(begin, end,
              [&](const pixman_box32_t& a, const pixman_box32_t& b) { return low(a) < low(b); });
    // Sorted, each part is a run: bounding one leaves the others in place.
    pixman_box32_t* part = begin;
    int reach = high(*begin);
    for (pixman_box32_t* box = begin + 1; box != end; ++box) {
        if (low(*box) > reach) {
            Bound(part, box, boxes);
            part = box;
        }
        reach = std::max(reach, high(*box));
    }
    if (part == begin)
        return false;
    Bound(part, end, boxes);
    return true;
}

} // namespace

void BoundRegion(const pixman_region32_t& region, std::vector<pixman_box32_t>& boxes,
                 std::vector<pixman_box32_t>& scratch)
{
    boxes.clear();
    int count = 0;
    const pixman_box32_t* rects =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region), &count);
    if (count <= 0)
        return;
    scratch.assign(rects, rects + count);
    Bound(scratch.data(), scratch.data() + count, boxes);
}
