#include "platform/toolkit/image_array.h"

#include <algorithm>

#include "platform/toolkit/runtime_error.h"

// Where a member with `index` is, or would go.
std::vector<Image>::const_iterator ImageArray::Place(int index) const
{
    return std::lower_bound(members_.begin(), members_.end(), index,
                            [](const Image& image, int i) { return image.Index() < i; });
}

void ImageArray::Add(Image image)
{
    const auto at = Place(image.Index());
    if (at != members_.end() && at->Index() == image.Index())
        members_[std::size_t(at - members_.begin())] = std::move(image);
    else
        members_.insert(at, std::move(image));
}

const Image& ImageArray::operator()(int16_t index) const
{
    const auto found = Place(index);
    if (found == members_.end() || found->Index() != index)
        RaiseMissingControl(index);
    return *found;
}
