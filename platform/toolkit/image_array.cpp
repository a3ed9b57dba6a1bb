#include "platform/toolkit/image_array.h"

#include <algorithm>

#include "platform/toolkit/runtime_error.h"

namespace {

bool IndexBelow(const Image& image, int index) { return image.Index() < index; }

} // namespace

void ImageArray::Add(Image image)
{
    auto at = std::lower_bound(members_.begin(), members_.end(), image.Index(), IndexBelow);
    if (at != members_.end() && at->Index() == image.Index())
        *at = std::move(image);
    else
        members_.insert(at, std::move(image));
}

const Image& ImageArray::operator()(int16_t index) const
{
    auto found = std::lower_bound(members_.begin(), members_.end(), int(index), IndexBelow);
    if (found == members_.end() || found->Index() != index)
        RaiseMissingControl(index);
    return *found;
}
