// An image control array: members by index, each holding a picture. Asking
// for an index without a member is a run-time error. The members lie in one
// block sorted by index: a tick looks one up for every stamp, and a tree's
// scattered nodes would each be a cache miss after the program's sleep.
// Adding a member moves the others, so a reference lasts until the next Add.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/toolkit/picture.h"

class Image {
public:
    Image() = default;
    Image(int index, Picture picture, int32_t left, int32_t top, int32_t width, int32_t height)
        : index_(index), picture_(std::move(picture)), left_(left), top_(top), width_(width),
          height_(height)
    {
    }

    int Index() const { return index_; }
    const Picture& GetPicture() const { return picture_; }
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    int index_ = 0;
    Picture picture_;
    int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

class ImageArray {
public:
    void Add(Image image);
    void Clear() { members_.clear(); }
    const Image& operator()(int16_t index) const;
    std::size_t Count() const { return members_.size(); }

private:
    std::vector<Image>::const_iterator Place(int index) const;

    std::vector<Image> members_; // sorted by Index()
};
