#include "tools/art/png_writer.h"

#include <array>
#include <cassert>
#include <string_view>

namespace {

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    // Deflate packs values from their low bit up.
    void Put(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (used_ == 0) out_.push_back(0);
            out_.back() |= uint8_t(((value >> i) & 1) << used_);
            used_ = (used_ + 1) % 8;
        }
    }

    // Huffman codes go in from their high bit down.
    void PutCode(uint32_t code, int count)
    {
        for (int i = count - 1; i >= 0; --i) Put((code >> i) & 1, 1);
    }

private:
    std::vector<uint8_t>& out_;
    int used_ = 0;
};

void PutLiteral(BitWriter& w, int symbol)
{
    if (symbol < 144) w.PutCode(0x30 + symbol, 8);
    else if (symbol < 256) w.PutCode(0x190 + symbol - 144, 9);
    else if (symbol < 280) w.PutCode(symbol - 256, 7);
    else w.PutCode(0xC0 + symbol - 280, 8);
}

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                             15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void PutMatch(BitWriter& w, int length, int distance)
{
    int code = 28;
    while (kLengthBase[code] > length) --code;
    PutLiteral(w, 257 + code);
    w.Put(length - kLengthBase[code], kLengthExtra[code]);
    int dcode = 29;
    while (kDistanceBase[dcode] > distance) --dcode;
    w.PutCode(dcode, 5);
    w.Put(distance - kDistanceBase[dcode], dcode < 4 ? 0 : dcode / 2 - 1);
}

// One fixed-Huffman block. Matches are tried only at the distances where an
// enlarged picture repeats itself: the previous byte, pixel and row.
std::vector<uint8_t> Deflate(std::span<const uint8_t> data, int pixel_bytes, int row_bytes)
{
    std::vector<uint8_t> out;
    BitWriter w(out);
    w.Put(1, 1); // final block
    w.Put(1, 2); // fixed Huffman codes
    const int distances[] = {1, pixel_bytes, row_bytes};
    for (size_t i = 0; i < data.size();) {
        int best_len = 0, best_dist = 0;
        for (int d : distances) {
            if (d > 32768 || size_t(d) > i) continue;
            int len = 0;
            while (len < 258 && i + len < data.size() && data[i + len] == data[i + len - d]) ++len;
            if (len > best_len) {
                best_len = len;
                best_dist = d;
            }
        }
        if (best_len >= 3) {
            PutMatch(w, best_len, best_dist);
            i += best_len;
        } else {
            PutLiteral(w, data[i++]);
        }
    }
    PutLiteral(w, 256);
    return out;
}

void PutU32Big(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& png, std::string_view type, std::span<const uint8_t> body)
{
    PutU32Big(png, uint32_t(body.size()));
    size_t start = png.size();
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), body.begin(), body.end());
    PutU32Big(png, Crc32(std::span(png).subspan(start)));
}

} // namespace

uint32_t Crc32(std::span<const uint8_t> bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint32_t Adler32(std::span<const uint8_t> bytes)
{
    uint32_t a = 1, b = 0;
    for (uint8_t v : bytes) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

namespace {

// PNG colour types: truecolour, and truecolour with alpha.
constexpr uint8_t kRgb = 2, kRgba = 6;

std::vector<uint8_t> Encode(int width, int height, uint8_t colour_type,
                            std::span<const uint8_t> pixels)
{
    const int pixel_bytes = colour_type == kRgba ? 4 : 3;
    assert(pixels.size() == size_t(width) * height * pixel_bytes);
    const int row_bytes = 1 + width * pixel_bytes;
    std::vector<uint8_t> raw;
    raw.reserve(size_t(row_bytes) * height);
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // no filter: the row distance already finds repeats
        auto row = pixels.subspan(size_t(y) * width * pixel_bytes, size_t(width) * pixel_bytes);
        raw.insert(raw.end(), row.begin(), row.end());
    }

    std::vector<uint8_t> zlib = {0x78, 0x01};
    std::vector<uint8_t> deflated = Deflate(raw, pixel_bytes, row_bytes);
    zlib.insert(zlib.end(), deflated.begin(), deflated.end());
    PutU32Big(zlib, Adler32(raw));

    std::vector<uint8_t> header;
    PutU32Big(header, uint32_t(width));
    PutU32Big(header, uint32_t(height));
    header.insert(header.end(), {8, colour_type, 0, 0, 0}); // 8 bits a sample, no interlace

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

} // namespace

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb)
{
    return Encode(width, height, kRgb, rgb);
}

std::vector<uint8_t> EncodePngRgba(int width, int height, std::span<const uint8_t> rgba)
{
    return Encode(width, height, kRgba, rgba);
}
