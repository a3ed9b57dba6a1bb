#include "platform/toolkit/bmp24.h"

#include <cassert>

namespace {

uint32_t ReadU32(std::span<const uint8_t> d, size_t at)
{
    return uint32_t{d[at]} | uint32_t{d[at + 1]} << 8 | uint32_t{d[at + 2]} << 16 |
           uint32_t{d[at + 3]} << 24;
}

uint16_t ReadU16(std::span<const uint8_t> d, size_t at)
{
    return static_cast<uint16_t>(d[at] | d[at + 1] << 8);
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

bool Fail(std::string* error, std::string message)
{
    if (error) *error = std::move(message);
    return false;
}

// One header field that must hold exactly one value.
struct Field {
    const char* name;
    size_t offset;
    int bytes;
    int64_t expected;
    bool is_signed = false; // a negative height would mean top-down rows
};

constexpr Field kFields[] = {
    {"bfReserved1", 6, 2, 0},
    {"bfReserved2", 8, 2, 0},
    {"bfOffBits (pixel offset)", 10, 4, Bmp24::kHeaderBytes},
    {"biSize (info header size)", 14, 4, 40},
    {"biWidth", 18, 4, Bmp24::kSide, true},
    {"biHeight", 22, 4, Bmp24::kSide, true},
    {"biPlanes", 26, 2, 1},
    {"biBitCount (bit depth)", 28, 2, 24},
    {"biCompression", 30, 4, 0},
    {"biSizeImage", 34, 4, Bmp24::kPixelBytes},
    {"biXPelsPerMeter", 38, 4, 0},
    {"biYPelsPerMeter", 42, 4, 0},
    {"biClrUsed", 46, 4, 0},
    {"biClrImportant", 50, 4, 0},
};

bool CheckHeader(std::span<const uint8_t> file, std::string* error)
{
    if (file.size() < Bmp24::kHeaderBytes)
        return Fail(error, "truncated: " + std::to_string(file.size()) +
                               " bytes, too short for the 54-byte headers");
    if (file[0] != 'B' || file[1] != 'M') return Fail(error, "not a BMP file: type is not 'BM'");
    if (ReadU32(file, 2) != Bmp24::kFileBytes)
        return Fail(error, "bfSize (file size) is " + std::to_string(ReadU32(file, 2)) +
                               ", expected " + std::to_string(Bmp24::kFileBytes));
    for (const Field& f : kFields) {
        int64_t value = f.bytes == 2 ? int64_t{ReadU16(file, f.offset)}
                        : f.is_signed ? int64_t{static_cast<int32_t>(ReadU32(file, f.offset))}
                                      : int64_t{ReadU32(file, f.offset)};
        if (value != f.expected)
            return Fail(error, std::string(f.name) + " is " + std::to_string(value) +
                                   ", expected " + std::to_string(f.expected));
    }
    if (file.size() < Bmp24::kFileBytes)
        return Fail(error, "truncated: " + std::to_string(file.size()) + " bytes, expected " +
                               std::to_string(Bmp24::kFileBytes));
    if (file.size() > Bmp24::kFileBytes)
        return Fail(error, "wrong size: " + std::to_string(file.size()) + " bytes, expected " +
                               std::to_string(Bmp24::kFileBytes));
    return true;
}

} // namespace

Bmp24 Bmp24::Blank()
{
    Bmp24 picture;
    picture.bgr_bottom_up.assign(kPixelBytes, 0);
    return picture;
}

Rgb Bmp24::Pixel(int x, int y) const
{
    assert(x >= 0 && x < width && y >= 0 && y < height);
    size_t at = (size_t(height - 1 - y) * width + x) * 3;
    return {bgr_bottom_up[at + 2], bgr_bottom_up[at + 1], bgr_bottom_up[at]};
}

void Bmp24::SetPixel(int x, int y, Rgb c)
{
    assert(x >= 0 && x < width && y >= 0 && y < height);
    size_t at = (size_t(height - 1 - y) * width + x) * 3;
    bgr_bottom_up[at] = c.b;
    bgr_bottom_up[at + 1] = c.g;
    bgr_bottom_up[at + 2] = c.r;
}

std::optional<Bmp24> DecodeBmp24(std::span<const uint8_t> file, std::string* error)
{
    if (!CheckHeader(file, error)) return std::nullopt;
    Bmp24 picture;
    auto pixels = file.subspan(Bmp24::kHeaderBytes);
    picture.bgr_bottom_up.assign(pixels.begin(), pixels.end());
    return picture;
}

std::vector<uint8_t> EncodeBmp24(const Bmp24& picture)
{
    assert(picture.width == Bmp24::kSide && picture.height == Bmp24::kSide);
    assert(picture.bgr_bottom_up.size() == Bmp24::kPixelBytes);
    std::vector<uint8_t> out;
    out.reserve(Bmp24::kFileBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, Bmp24::kFileBytes);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, Bmp24::kHeaderBytes);
    PutU32(out, 40);
    PutU32(out, Bmp24::kSide);
    PutU32(out, Bmp24::kSide);
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, Bmp24::kPixelBytes);
    for (int i = 0; i < 4; ++i) PutU32(out, 0); // resolution and palette counts
    out.insert(out.end(), picture.bgr_bottom_up.begin(), picture.bgr_bottom_up.end());
    return out;
}
