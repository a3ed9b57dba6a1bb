#include "tools/art/icon_sizes.h"

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

} // namespace

std::span<const int> HicolorSizes() { return kSizes; }

IconImage Enlarge(const IconImage& image, int factor)
{
    IconImage large;
    large.size = image.size * factor;
    large.bits = image.bits;
    large.palette = image.palette;
    for (int y = 0; y < large.size; ++y)
        for (int x = 0; x < large.size; ++x) {
            const size_t from = size_t(y / factor) * image.size + size_t(x / factor);
            large.pixels.push_back(image.pixels[from]);
            large.transparent.push_back(image.transparent[from]);
        }
    return large;
}

IconImage IconAtSize(std::span<const IconImage> drawn, int size)
{
    const IconImage* best = nullptr;
    for (const IconImage& image : drawn)
        if (image.bits == 32 && image.size > 0 && size % image.size == 0 &&
            (!best || image.size > best->size))
            best = &image;
    if (!best) {
        IconImage none;
        none.size = 0;
        return none;
    }
    return Enlarge(*best, size / best->size);
}

std::vector<uint8_t> RgbaBytes(const IconImage& image)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 4);
    for (uint32_t pixel : image.pixels)
        bytes.insert(bytes.end(), {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel),
                                   uint8_t(pixel >> 24)});
    return bytes;
}
