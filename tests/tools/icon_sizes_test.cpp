// The menu icons: read back from the stored icon files and enlarged by whole
// pixels to every size of the icon theme.
#include <set>

#include <gtest/gtest.h>

#include "test_files.h"
#include "tools/art/ico_reader.h"
#include "tools/art/icon_sizes.h"
#include "tools/art/png_writer.h"

namespace {

IconImage Stored(const char* name)
{
    const auto bytes = ReadBytes(std::filesystem::path(WALKERS_ICONS_DIR) / name);
    std::string error;
    const std::optional<IconImage> image = DecodeIco32(bytes, &error);
    EXPECT_TRUE(image.has_value()) << name << ": " << error;
    return image.value_or(IconImage{});
}

uint32_t Big32(const std::vector<uint8_t>& d, size_t at)
{
    return uint32_t(d[at]) << 24 | d[at + 1] << 16 | d[at + 2] << 8 | d[at + 3];
}

TEST(IconSizes, ReadsBackWhatTheWriterWrote)
{
    IconImage image;
    image.size = 3;
    image.bits = 32;
    image.pixels = {0x00000000, 0x80102030, 0xFFA0B0C0, 0xFF000001, 0x00000000,
                    0x80FFFFFF, 0xFF123456, 0xFF654321, 0x00000000};
    for (uint32_t pixel : image.pixels)
        image.transparent.push_back(pixel >> 24 == 0);
    // A 4-bit image first: the reader skips to the 32-bit one.
    IconImage palette_image;
    palette_image.size = 2;
    palette_image.bits = 4;
    palette_image.palette.assign(16, Rgb{1, 2, 3});
    palette_image.pixels.assign(4, 5);
    palette_image.transparent.assign(4, 0);
    const IconImage both[] = {palette_image, image};
    std::vector<uint8_t> bytes = EncodeIco(both);

    std::string error;
    const std::optional<IconImage> read = DecodeIco32(bytes, &error);
    ASSERT_TRUE(read.has_value()) << error;
    EXPECT_EQ(read->size, 3);
    EXPECT_EQ(read->pixels, image.pixels) << "rows top first, BGRA as 0xAARRGGBB";
    EXPECT_EQ(read->transparent, image.transparent);

    bytes.resize(bytes.size() - 8);
    EXPECT_FALSE(DecodeIco32(bytes, &error).has_value()) << "a file cut short";
    const IconImage only_palette[] = {palette_image};
    EXPECT_FALSE(DecodeIco32(EncodeIco(only_palette), &error).has_value());
    EXPECT_EQ(error, "no 32-bit image");
    EXPECT_FALSE(DecodeIco32(std::vector<uint8_t>{1, 2, 3}, &error).has_value());
}

TEST(IconSizes, EveryThemeSizeIsAWholePixelEnlargementOfADrawnIcon)
{
    const IconImage drawn[] = {Stored("walkers_small.ico"), Stored("walkers.ico")};
    ASSERT_EQ(drawn[0].size, 16);
    ASSERT_EQ(drawn[1].size, 32);
    std::set<int> sizes;
    for (int size : HicolorSizes()) {
        sizes.insert(size);
        const IconImage icon = IconAtSize(drawn, size);
        ASSERT_EQ(icon.size, size);
        ASSERT_EQ(icon.pixels.size(), size_t(size) * size);
        // The largest drawn icon that divides the size: 48 comes from 16.
        const IconImage& from = size % 32 == 0 ? drawn[1] : drawn[0];
        const int factor = size / from.size;
        size_t mismatches = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                mismatches += icon.pixels[size_t(y) * size + x] !=
                              from.pixels[size_t(y / factor) * from.size + x / factor];
        EXPECT_EQ(mismatches, 0u) << size;

        // PNG wants R, G, B, A in that order.
        const std::vector<uint8_t> rgba = RgbaBytes(icon);
        ASSERT_EQ(rgba.size(), icon.pixels.size() * 4);
        const size_t middle = (size_t(size) / 2) * size + size / 4;
        const uint32_t pixel = icon.pixels[middle];
        EXPECT_EQ(rgba[middle * 4 + 0], uint8_t(pixel >> 16));
        EXPECT_EQ(rgba[middle * 4 + 1], uint8_t(pixel >> 8));
        EXPECT_EQ(rgba[middle * 4 + 2], uint8_t(pixel));
        EXPECT_EQ(rgba[middle * 4 + 3], uint8_t(pixel >> 24));

        const std::vector<uint8_t> png = EncodePngRgba(size, size, rgba);
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(Big32(png, 16), uint32_t(size));
        EXPECT_EQ(Big32(png, 20), uint32_t(size));
        EXPECT_EQ(png[25], 6) << "truecolour with alpha";
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 64, 128, 256}));
    // No drawn icon divides 24: none is made rather than a blurred one.
    EXPECT_EQ(IconAtSize(drawn, 24).size, 0);
}

TEST(IconSizes, TheSmallIconIsTheSameArchAsTheFileIcon)
{
    const IconImage small = Stored("walkers_small.ico");
    std::set<int> alphas;
    int opaque = 0;
    for (uint32_t pixel : small.pixels) {
        alphas.insert(int(pixel >> 24));
        opaque += pixel >> 24 == 255;
    }
    EXPECT_EQ(alphas, (std::set<int>{0, 128, 255}));
    EXPECT_GT(opaque, 15);
    // Open underneath in the middle, as the arch is.
    EXPECT_EQ(small.pixels[11 * 16 + 8] >> 24, 0u);
}

} // namespace
