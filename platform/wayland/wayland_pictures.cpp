#include "platform/wayland/wayland_pictures.h"

#include "platform/shared/picture_outline.h"
#include "platform/toolkit/picture.h"

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
    if (!OutlineOf(picture, clip, x, y, outline))
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
