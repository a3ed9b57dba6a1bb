#include "tools/art/ico_writer.h"

#include <cassert>

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

size_t RowBytes(int width, int bits)
{
    return (size_t(width) * bits + 31) / 32 * 4; // rows end on 32-bit boundaries
}

// Packs rows of 1- or 4-bit values (or 32-bit BGRA) bottom row first.
std::vector<uint8_t> PackRows(int size, int bits, const std::vector<uint32_t>& values)
{
    std::vector<uint8_t> out;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(RowBytes(size, bits), 0);
        for (int x = 0; x < size; ++x) {
            uint32_t v = values[size_t(y) * size + x];
            if (bits == 32) {
                for (int i = 0; i < 4; ++i) row[x * 4 + i] = uint8_t(v >> (8 * i));
            } else {
                int bit = x * bits;
                row[bit / 8] |= uint8_t(v << (8 - bits - bit % 8)); // high bits first
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> ImageData(const IconImage& image)
{
    assert(image.pixels.size() == size_t(image.size) * image.size);
    assert(image.transparent.size() == image.pixels.size());
    assert(image.bits == 32 || image.palette.size() == (size_t{1} << image.bits));
    std::vector<uint8_t> colour = PackRows(image.size, image.bits, image.pixels);
    std::vector<uint8_t> mask = PackRows(
        image.size, 1, std::vector<uint32_t>(image.transparent.begin(), image.transparent.end()));

    std::vector<uint8_t> out;
    PutU32(out, 40);
    PutU32(out, image.size);
    PutU32(out, image.size * 2); // the colour bits and the mask stacked
    PutU16(out, 1);
    PutU16(out, image.bits);
    PutU32(out, 0);
    PutU32(out, uint32_t(colour.size() + mask.size()));
    for (int i = 0; i < 4; ++i) PutU32(out, 0);
    for (Rgb c : image.palette) out.insert(out.end(), {c.b, c.g, c.r, 0});
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

} // namespace

std::vector<uint8_t> EncodeIco(std::span<const IconImage> images)
{
    std::vector<std::vector<uint8_t>> data;
    for (const IconImage& image : images) data.push_back(ImageData(image));

    std::vector<uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1); // icon, not cursor
    PutU16(out, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        out.push_back(uint8_t(image.size));
        out.push_back(uint8_t(image.size));
        out.push_back(image.bits < 8 ? uint8_t(1u << image.bits) : uint8_t(0)); // palette size
        out.push_back(0);
        PutU16(out, 1);
        PutU16(out, image.bits);
        PutU32(out, uint32_t(data[i].size()));
        PutU32(out, offset);
        offset += uint32_t(data[i].size());
    }
    for (const auto& d : data) out.insert(out.end(), d.begin(), d.end());
    return out;
}
