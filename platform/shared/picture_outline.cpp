#include "platform/shared/picture_outline.h"

#include "platform/toolkit/picture.h"

bool SameMoved(const pixman_region32_t& clip, const pixman_region32_t& outline, int dx, int dy)
{
    int clip_count = 0, outline_count = 0;
    const pixman_box32_t* a =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&clip), &clip_count);
    const pixman_box32_t* b =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&outline), &outline_count);
    if (clip_count != outline_count || clip_count == 0)
        return false;
    for (int i = 0; i < clip_count; ++i)
        if (a[i].x1 != b[i].x1 + dx || a[i].x2 != b[i].x2 + dx || a[i].y1 != b[i].y1 + dy ||
            a[i].y2 != b[i].y2 + dy)
            return false;
    return true;
}

bool OutlineOf(const Picture& picture, const pixman_region32_t& clip, int x, int y,
               PixmanRegion& outline)
{
    pixman_region32_copy(outline.get(), &clip);
    pixman_region32_translate(outline.get(), -x, -y);
    const pixman_box32_t* extents = pixman_region32_extents(outline.get());
    return pixman_region32_not_empty(outline.get()) && extents->x1 >= 0 && extents->y1 >= 0 &&
           extents->x2 <= picture.Width() && extents->y2 <= picture.Height();
}
