#include "platform/wayland/wayland_pictures.h"

#include "platform/toolkit/picture.h"

namespace {

// Whether `clip` is `outline` moved by (dx, dy), rectangle by rectangle:
// both are y-x banded the same way when they cover the same pixels.
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

} // namespace

const WaylandPicture* WaylandPictures::Match(const Picture& picture, const pixman_region32_t& clip,
                                             int x, int y)
{
    if (picture.Id() == 0 || picture.Empty())
        return nullptr;
    auto found = pictures_.find(picture.Id());
    if (found != pictures_.end())
        return SameMoved(clip, *found->second->outline.get(), x, y) ? found->second.get() : nullptr;

    // The first clip becomes the outline, if it lies within the picture.
    PixmanRegion outline;
    pixman_region32_copy(outline.get(), &clip);
    pixman_region32_translate(outline.get(), -x, -y);
    const pixman_box32_t* extents = pixman_region32_extents(outline.get());
    if (!pixman_region32_not_empty(outline.get()) || extents->x1 < 0 || extents->y1 < 0 ||
        extents->x2 > picture.Width() || extents->y2 > picture.Height())
        return nullptr;
    auto kept = std::make_unique<WaylandPicture>();
    kept->id = picture.Id();
    kept->width = picture.Width();
    kept->height = picture.Height();
    kept->xrgb.assign(picture.TopDownXrgb(),
                      picture.TopDownXrgb() + std::size_t(kept->width) * std::size_t(kept->height));
    pixman_region32_copy(kept->outline.get(), outline.get());
    return (pictures_[picture.Id()] = std::move(kept)).get();
}

bool StampsCover(const std::vector<WaylandStamp>& stamps, const pixman_region32_t& shape)
{
    PixmanRegion covered, outline;
    for (const WaylandStamp& stamp : stamps) {
        pixman_region32_copy(outline.get(), stamp.picture->outline.get());
        pixman_region32_translate(outline.get(), stamp.x, stamp.y);
        pixman_region32_union(covered.get(), covered.get(), outline.get());
    }
    return pixman_region32_equal(covered.get(), const_cast<pixman_region32_t*>(&shape));
}
