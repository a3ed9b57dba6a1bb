#include "platform/x11/x11_box_cover.h"

#include <algorithm>
#include <cstddef>

namespace {

int Low(const pixman_box32_t& box, bool across) { return across ? box.x1 : box.y1; }
int High(const pixman_box32_t& box, bool across) { return across ? box.x2 : box.y2; }

bool Split(pixman_box32_t* begin, pixman_box32_t* end, bool across, BoundScratch& scratch,
           std::vector<pixman_box32_t>& boxes);

void Bound(pixman_box32_t* begin, pixman_box32_t* end, BoundScratch& scratch,
           std::vector<pixman_box32_t>& boxes)
{
    if (Split(begin, end, true, scratch, boxes) || Split(begin, end, false, scratch, boxes))
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

// Splits [begin, end) where no rectangle spans or touches the gap between
// its parts, along x (`across`) or along y, and bounds each part on its own.
// False when it stays in one part. The rectangles are projected onto the
// axis: a column no rectangle covers is a gap. That is a pass over the
// rectangles and one over the columns, where sorting them cost far more.
bool Split(pixman_box32_t* begin, pixman_box32_t* end, bool across, BoundScratch& scratch,
           std::vector<pixman_box32_t>& boxes)
{
    int low = Low(*begin, across), high = High(*begin, across);
    for (const pixman_box32_t* box = begin; box != end; ++box) {
        low = std::min(low, Low(*box, across));
        high = std::max(high, High(*box, across));
    }
    // How many rectangles start less end at each column, then the part each
    // column belongs to (-1: a gap).
    std::vector<int>& part_of = scratch.columns;
    part_of.assign(std::size_t(high - low) + 1, 0);
    for (const pixman_box32_t* box = begin; box != end; ++box) {
        ++part_of[std::size_t(Low(*box, across) - low)];
        --part_of[std::size_t(High(*box, across) - low)];
    }
    int covering = 0, parts = 0;
    for (int& column : part_of) {
        const bool was_gap = covering == 0;
        covering += column;
        if (covering > 0 && was_gap)
            ++parts;
        column = covering > 0 ? parts - 1 : -1;
    }
    if (parts <= 1)
        return false;

    // Each part's rectangles together, in their order (a counting sort).
    std::vector<std::size_t> starts(std::size_t(parts) + 1, 0);
    for (const pixman_box32_t* box = begin; box != end; ++box)
        ++starts[std::size_t(part_of[std::size_t(Low(*box, across) - low)]) + 1];
    for (std::size_t part = 1; part < starts.size(); ++part)
        starts[part] += starts[part - 1];
    std::vector<pixman_box32_t>& sorted = scratch.sorted;
    sorted.resize(std::size_t(end - begin));
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    for (const pixman_box32_t* box = begin; box != end; ++box)
        sorted[next[std::size_t(part_of[std::size_t(Low(*box, across) - low)])]++] = *box;
    std::copy(sorted.begin(), sorted.end(), begin);

    for (std::size_t part = 0; part + 1 < starts.size(); ++part)
        Bound(begin + starts[part], begin + starts[part + 1], scratch, boxes);
    return true;
}

} // namespace

void BoundRegion(const pixman_region32_t& region, std::vector<pixman_box32_t>& boxes,
                 BoundScratch& scratch)
{
    boxes.clear();
    int count = 0;
    const pixman_box32_t* rects =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region), &count);
    if (count <= 0)
        return;
    scratch.rects.assign(rects, rects + count);
    Bound(scratch.rects.data(), scratch.rects.data() + count, scratch, boxes);
}
