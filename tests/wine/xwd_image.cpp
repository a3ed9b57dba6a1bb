#include "tests/wine/xwd_image.h"

#include <bit>
#include <fstream>
#include <iterator>

namespace {

// XWDFileHeader: 25 big-endian 32-bit fields, then the window's name.
enum Field {
    kHeaderSize = 0,
    kVersion = 1,
    kFormat = 2,
    kWidth = 4,
    kHeight = 5,
    kByteOrder = 7,
    kBitsPerPixel = 11,
    kBytesPerLine = 12,
    kVisualClass = 13,
    kRedMask = 14,
    kGreenMask = 15,
    kBlueMask = 16,
    kColours = 19,
    kFieldCount = 25,
};
constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kTrueColor = 4;
constexpr std::size_t kColourBytes = 12;

uint32_t BigEndian(const std::vector<uint8_t>& bytes, std::size_t at)
{
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

uint8_t Channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    uint32_t top = mask >> std::countr_zero(mask);
    return uint8_t(value * 255 / top);
}

} // namespace

std::optional<XwdImage> ReadXwd(const std::string& path, std::string* error)
{
    auto fail = [error](const std::string& why) -> std::optional<XwdImage> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < kFieldCount * 4)
        return fail("not an xwd file: " + path);
    auto field = [&bytes](Field f) { return BigEndian(bytes, std::size_t(f) * 4); };
    if (field(kVersion) != 7 || field(kFormat) != kZPixmap || field(kVisualClass) != kTrueColor)
        return fail("not a TrueColor ZPixmap xwd file");
    const uint32_t bits = field(kBitsPerPixel);
    if (bits != 24 && bits != 32)
        return fail("unsupported bits per pixel: " + std::to_string(bits));

    XwdImage image;
    image.width = int(field(kWidth));
    image.height = int(field(kHeight));
    const std::size_t line = field(kBytesPerLine);
    const std::size_t start = field(kHeaderSize) + std::size_t(field(kColours)) * kColourBytes;
    if (start + line * std::size_t(image.height) > bytes.size() ||
        line < std::size_t(image.width) * (bits / 8))
        return fail("xwd file cut short");
    const bool big_endian = field(kByteOrder) == 1;
    const uint32_t masks[3] = {field(kRedMask), field(kGreenMask), field(kBlueMask)};

    image.pixels.resize(std::size_t(image.width) * image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &bytes[start + y * line + std::size_t(x) * (bits / 8)];
            uint32_t pixel = 0;
            for (uint32_t k = 0; k < bits / 8; ++k)
                pixel |=
                    big_endian ? uint32_t(p[k]) << (bits - 8 - 8 * k) : uint32_t(p[k]) << (8 * k);
            image.pixels[std::size_t(y) * image.width + x] = {
                Channel(pixel, masks[0]), Channel(pixel, masks[1]), Channel(pixel, masks[2])};
        }
    return image;
}
