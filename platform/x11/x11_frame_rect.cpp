#include "platform/x11/x11_frame_rect.h"

#include <algorithm>
#include <limits>

namespace x11_frame {

namespace {

int64_t Clamp(uint32_t extent, int64_t limit) { return std::min<int64_t>(extent, std::max<int64_t>(0, limit)); }

LONG ToLong(int64_t value)
{
    return LONG(std::clamp<int64_t>(value, std::numeric_limits<LONG>::min(),
                                    std::numeric_limits<LONG>::max()));
}

} // namespace

RECT VisibleRect(const Layout& l, const Extents& frame, const Extents& shadows)
{
    const int64_t outer_width = int64_t(l.top_width) + 2 * int64_t(l.top_border);
    const int64_t outer_height = int64_t(l.top_height) + 2 * int64_t(l.top_border);
    int64_t left, top, right, bottom;
    if (frame.present) {
        // Decorations wider than the whole top level are no decorations.
        const int64_t x = int64_t(l.top_x) + l.top_border + l.client_dx;
        const int64_t y = int64_t(l.top_y) + l.top_border + l.client_dy;
        left = x - Clamp(frame.left, outer_width);
        right = x + l.client_width + Clamp(frame.right, outer_width);
        top = y - Clamp(frame.top, outer_height);
        bottom = y + l.client_height + Clamp(frame.bottom, outer_height);
    } else {
        left = l.top_x;
        top = l.top_y;
        right = l.top_x + outer_width;
        bottom = l.top_y + outer_height;
    }
    if (shadows.present) {
        // Shadows lie inside the window: together at most its size.
        const int64_t shadow_left = Clamp(shadows.left, right - left);
        const int64_t shadow_right = Clamp(shadows.right, right - left - shadow_left);
        const int64_t shadow_top = Clamp(shadows.top, bottom - top);
        const int64_t shadow_bottom = Clamp(shadows.bottom, bottom - top - shadow_top);
        left += shadow_left;
        right -= shadow_right;
        top += shadow_top;
        bottom -= shadow_bottom;
    }
    return RECT{ToLong(left), ToLong(top), ToLong(right), ToLong(bottom)};
}

} // namespace x11_frame
