#include "tools/art/ico_reader.h"

namespace {

uint32_t U16(std::span<const uint8_t> d, size_t at) { return d[at] | d[at + 1] << 8; }

uint32_t U32(std::span<const uint8_t> d, size_t at)
{
    return U16(d, at) | U16(d, at + 2) << 16;
}

constexpr size_t kDirectory = 6, kEntry = 16, kInfoHeader = 40;

} // namespace

std::optional<IconImage> DecodeIco32(std::span<const uint8_t> d, std::string* error)
{
    auto fail = [error](const char* why) -> std::optional<IconImage> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (d.size() < kDirectory || U16(d, 0) != 0 || U16(d, 2) != 1)
        return fail("not an icon file");
    const uint32_t count = U16(d, 4);
    if (d.size() < kDirectory + kEntry * count)
        return fail("the directory is cut short");
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = kDirectory + kEntry * i;
        if (U16(d, entry + 6) != 32)
            continue;
        const int size = d[entry] == 0 ? 256 : d[entry];
        const size_t bytes = U32(d, entry + 8), offset = U32(d, entry + 12);
        const size_t pixels = size_t(size) * size * 4;
        const size_t mask = (size_t(size) + 31) / 32 * 4 * size; // 1-bit rows, 32-bit aligned
        if (bytes < kInfoHeader + pixels + mask || offset + bytes > d.size())
            return fail("a 32-bit image is cut short");
        if (U32(d, offset) != kInfoHeader ||
            U32(d, offset + 4) != uint32_t(size) || U32(d, offset + 8) != uint32_t(2 * size))
            return fail("a 32-bit image's header does not match its entry");
        IconImage image;
        image.size = size;
        image.bits = 32;
        // Rows are stored bottom-up as B, G, R, A: little-endian 0xAARRGGBB.
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const size_t at = offset + kInfoHeader + (size_t(size - 1 - y) * size + x) * 4;
                image.pixels.push_back(U32(d, at));
                image.transparent.push_back(d[at + 3] == 0);
            }
        return image;
    }
    return fail("no 32-bit image");
}
