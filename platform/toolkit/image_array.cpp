#include "platform/toolkit/image_array.h"

#include "platform/toolkit/runtime_error.h"

void ImageArray::Add(Image image)
{
    int index = image.Index();
    members_[index] = std::move(image);
}

const Image& ImageArray::operator()(int16_t index) const
{
    auto found = members_.find(index);
    if (found == members_.end())
        RaiseMissingControl(index);
    return found->second;
}
