#include "platform/user32_gdi32/region_join.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Where one part stands: its current band, and what follows.
struct Cursor {
    const pixman_box32_t* band;     // first box of the current band
    const pixman_box32_t* band_end; // one past its last, once gathered
    const pixman_box32_t* end;      // one past the part's last box
    int32_t left;                   // the part's leftmost edge
};

struct Span {
    int32_t x1, x2;
};

// pixman keeps a region's boxes after a header it allocates with malloc and
// frees with free (pixman.h gives the layout). Boxes already in canonical
// form are handed over that way: pixman's own constructor from boxes would
// sort and merge them all again.
bool Build(const std::vector<pixman_box32_t>& boxes, std::size_t count, pixman_region32_t* out)
{
    if (count <= 1) {
        if (count == 0)
            pixman_region32_init(out);
        else
            pixman_region32_init_with_extents(out, &boxes.front());
        return true;
    }
    const std::size_t bytes = count * sizeof(pixman_box32_t);
    auto* data = static_cast<pixman_region32_data_t*>(std::malloc(sizeof(pixman_region32_data_t) + bytes));
    if (!data) {
        pixman_region32_init(out);
        return false;
    }
    data->size = data->numRects = long(count);
    std::memcpy(data + 1, boxes.data(), bytes);
    int32_t x1 = std::numeric_limits<int32_t>::max(), x2 = std::numeric_limits<int32_t>::min();
    for (std::size_t i = 0; i < count; ++i) {
        x1 = std::min(x1, boxes[i].x1);
        x2 = std::max(x2, boxes[i].x2);
    }
    out->extents = {x1, boxes.front().y1, x2, boxes[count - 1].y2};
    out->data = data;
    return true;
}

} // namespace

// Sweeps down the parts together. Between two consecutive band edges of any
// part, the set of spans is fixed: it is gathered from every part whose band
// covers that stretch, sorted and merged, and either stretches the band above
// (when it touches it with the very same spans, as pixman's form requires)
// or becomes a band of its own. One pass over the parts per stretch moves
// each past a band that has ended, gathers, and finds where the stretch
// ends. The parts are visited from left to right, so spans come sorted
// unless parts overlap (stamps seldom do); only then are they sorted.
bool JoinRegions(std::span<const pixman_region32_t* const> parts, pixman_region32_t* out)
{
    std::vector<Cursor> cursors;
    cursors.reserve(parts.size());
    std::size_t boxes_in_all = 0;
    int32_t y = std::numeric_limits<int32_t>::max();
    for (const pixman_region32_t* part : parts) {
        int n = 0;
        const pixman_box32_t* boxes = pixman_region32_rectangles(part, &n);
        if (n > 0) {
            cursors.push_back({boxes, boxes, boxes + n, pixman_region32_extents(part)->x1});
            boxes_in_all += std::size_t(n);
            y = std::min(y, boxes->y1);
        }
    }
    std::sort(cursors.begin(), cursors.end(), [](const Cursor& a, const Cursor& b) { return a.left < b.left; });
    std::vector<Span> spans(boxes_in_all); // a stretch gathers at most every box
    std::vector<pixman_box32_t> result(boxes_in_all);
    std::size_t count = 0;    // boxes in `result`
    std::size_t above = 0;    // first box of the band emitted last
    int32_t above_bottom = 0; // its bottom; the band ends at `count`
    while (!cursors.empty()) {
        int32_t bottom = std::numeric_limits<int32_t>::max();
        std::size_t gathered = 0;
        bool in_order = true;
        for (std::size_t i = 0; i < cursors.size();) {
            Cursor& c = cursors[i];
            if (c.band->y2 <= y) {
                c.band = c.band_end;
                if (c.band == c.end) { // the part is done; the rest keep their order
                    cursors.erase(cursors.begin() + std::ptrdiff_t(i));
                    continue;
                }
            }
            ++i;
            const int32_t band_top = c.band->y1;
            if (band_top > y) {
                bottom = std::min(bottom, band_top);
                continue;
            }
            bottom = std::min(bottom, c.band->y2);
            const pixman_box32_t* box = c.band;
            for (; box != c.end && box->y1 == band_top; ++box) {
                in_order = in_order && (gathered == 0 || spans[gathered - 1].x1 <= box->x1);
                spans[gathered++] = {box->x1, box->x2};
            }
            c.band_end = box;
        }
        if (gathered == 0) { // a gap between bands, or the end
            y = bottom;
            continue;
        }

        if (!in_order)
            std::sort(spans.begin(), spans.begin() + std::ptrdiff_t(gathered),
                      [](Span a, Span b) { return a.x1 < b.x1; });
        std::size_t merged = 0; // in place: touching or overlapping spans join
        for (std::size_t i = 0; i < gathered; ++i) {
            if (merged > 0 && spans[i].x1 <= spans[merged - 1].x2)
                spans[merged - 1].x2 = std::max(spans[merged - 1].x2, spans[i].x2);
            else
                spans[merged++] = spans[i];
        }
        bool same = count - above == merged && above_bottom == y && count > 0;
        for (std::size_t i = 0; same && i < merged; ++i)
            same = result[above + i].x1 == spans[i].x1 && result[above + i].x2 == spans[i].x2;
        if (same) {
            for (std::size_t i = above; i < count; ++i)
                result[i].y2 = bottom;
        } else {
            if (result.size() < count + merged)
                result.resize(2 * (count + merged));
            above = count;
            for (std::size_t i = 0; i < merged; ++i)
                result[count++] = {spans[i].x1, y, spans[i].x2, bottom};
        }
        above_bottom = bottom;
        y = bottom;
    }
    pixman_region32_fini(out);
    return Build(result, count, out);
}
