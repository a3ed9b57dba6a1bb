#include "platform/toolkit/picture.h"

#include <atomic>

#include "platform/toolkit/bmp24.h"
#include "platform/toolkit/runtime_error.h"

Picture Picture::FromBmp(std::span<const uint8_t> bmp)
{
    std::string error;
    std::optional<Bmp24> decoded = DecodeBmp24(bmp, &error);
    if (!decoded)
        throw RuntimeError(481, "Invalid picture: " + error);
    static std::atomic<uint64_t> last_id{0};
    Picture picture;
    picture.id_ = ++last_id;
    picture.width_ = decoded->width;
    picture.height_ = decoded->height;
    picture.bits_ = std::move(decoded->bgr_bottom_up);
    picture.xrgb_.resize(std::size_t(picture.width_) * std::size_t(picture.height_));
    for (int y = 0; y < picture.height_; ++y)
        for (int x = 0; x < picture.width_; ++x)
            picture.xrgb_[std::size_t(y) * std::size_t(picture.width_) + std::size_t(x)] =
                picture.Pixel(x, y);
    return picture;
}

uint32_t Picture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        RaiseSubscriptOutOfRange();
    const uint8_t* p = bits_.data() + std::size_t(height_ - 1 - y) * Stride() + std::size_t(x) * 3;
    return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}
