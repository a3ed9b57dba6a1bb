// The tiled image: memory only where something was drawn, and pixels that
// read back as drawn across tile edges.
#include <gtest/gtest.h>

#include <vector>

#include "platform/user32_gdi32/pixman_region.h"
#include "platform/user32_gdi32/tiled_image.h"

namespace {

TEST(TiledImage, AClearedScreenCostsNoTiles)
{
    TiledImage image(3840, 2160, 0x0000FF);
    EXPECT_EQ(image.TileCount(), 0u);
    EXPECT_EQ(image.Pixel(3839, 2159), 0x0000FFu);
    image.Fill(*PixmanRegion(0, 0, 3840, 2160).get(), 0x0000FF); // the background already
    EXPECT_EQ(image.TileCount(), 0u);
    image.Fill(*PixmanRegion(100, 100, 101, 101).get(), 0xFF0000);
    EXPECT_EQ(image.TileCount(), 1u);
    image.Clear(0x00FF00);
    EXPECT_EQ(image.TileCount(), 0u);
    EXPECT_EQ(image.Pixel(100, 100), 0x00FF00u);

    // Cleared to the same colour, a tile drawn in the last batch stays for
    // the next one, restored; one not drawn since is freed.
    image.Fill(*PixmanRegion(100, 100, 110, 110).get(), 0xFF0000);
    image.Fill(*PixmanRegion(1000, 1000, 1001, 1001).get(), 0xFF0000);
    image.Clear(0x00FF00);
    EXPECT_EQ(image.TileCount(), 2u);
    EXPECT_EQ(image.Pixel(105, 105), 0x00FF00u);
    EXPECT_EQ(image.Pixel(1000, 1000), 0x00FF00u);
    image.Fill(*PixmanRegion(100, 100, 101, 101).get(), 0x0000FF);
    image.Clear(0x00FF00);
    EXPECT_EQ(image.TileCount(), 1u);
    EXPECT_EQ(image.Pixel(100, 100), 0x00FF00u);
    image.Clear(0x00FF00);
    EXPECT_EQ(image.TileCount(), 0u);
}

TEST(TiledImage, AFillTouchesOnlyTheTilesItCovers)
{
    TiledImage image(640, 480, 0);
    image.Fill(*PixmanRegion(64, 64, 128, 128).get(), 0x111111); // exactly one tile
    EXPECT_EQ(image.TileCount(), 1u);
    image.Fill(*PixmanRegion(250, 250, 260, 260).get(), 0x222222); // a corner of four
    EXPECT_EQ(image.TileCount(), 5u);
    image.Fill(*PixmanRegion(630, 470, 700, 500).get(), 0x333333); // clipped to the image
    EXPECT_EQ(image.TileCount(), 6u);

    EXPECT_EQ(image.Pixel(63, 64), 0u);
    EXPECT_EQ(image.Pixel(64, 64), 0x111111u);
    EXPECT_EQ(image.Pixel(127, 127), 0x111111u);
    EXPECT_EQ(image.Pixel(128, 127), 0u);
    EXPECT_EQ(image.Pixel(255, 255), 0x222222u);
    EXPECT_EQ(image.Pixel(639, 479), 0x333333u);

    // Read across a tile edge, the fill's edge and the image's edge.
    const uint32_t c = 0x222222;
    std::vector<uint32_t> out(4 * 3, 0xDEAD);
    image.Read(258, 255, 4, 3, out.data(), 4); // rows 255 | 256, 257
    EXPECT_EQ(out, (std::vector<uint32_t>{c, c, 0, 0, c, c, 0, 0, c, c, 0, 0}));
    std::vector<uint32_t> edge(3, 0xDEAD);
    image.Read(638, 479, 3, 1, edge.data(), 3);
    EXPECT_EQ(edge, (std::vector<uint32_t>{0x333333, 0x333333, 0}));
}

TEST(TiledImage, CopyPictureSpansTilesKeepsItsStrideAndHonoursTheClip)
{
    TiledImage image(128, 128, 0);
    // 2x2 picture in rows of 3 pixels, top row first; the third is not drawn.
    const uint32_t picture[] = {0x131211, 0x161514, 0xBAD, 0x030201, 0x060504, 0xBAD};
    image.CopyPicture(nullptr, 63, 63, 2, 2, picture, 3);
    EXPECT_EQ(image.Pixel(63, 63), 0x131211u);
    EXPECT_EQ(image.Pixel(64, 63), 0x161514u);
    EXPECT_EQ(image.Pixel(63, 64), 0x030201u);
    EXPECT_EQ(image.Pixel(64, 64), 0x060504u);
    EXPECT_EQ(image.Pixel(65, 63), 0u);
    EXPECT_EQ(image.TileCount(), 4u);

    PixmanRegion clip(11, 0, 12, 128);
    image.CopyPicture(clip.get(), 10, 10, 2, 2, picture, 3);
    EXPECT_EQ(image.Pixel(10, 10), 0u);
    EXPECT_EQ(image.Pixel(11, 10), 0x161514u);
}

TEST(TiledImage, ResizeKeepsWhatLiesInsideAndForgetsTheRest)
{
    TiledImage image(200, 200, 0);
    image.Fill(*PixmanRegion(0, 0, 200, 200).get(), 0xABCDEF);
    EXPECT_EQ(image.TileCount(), 16u);
    image.Resize(70, 10);
    EXPECT_EQ(image.Width(), 70);
    EXPECT_EQ(image.TileCount(), 2u);
    image.Resize(200, 200);
    EXPECT_EQ(image.Pixel(69, 9), 0xABCDEFu);
    EXPECT_EQ(image.Pixel(70, 9), 0u); // cut off by the shrink: background again
    EXPECT_EQ(image.Pixel(69, 10), 0u);
    EXPECT_EQ(image.Pixel(150, 150), 0u);
}

} // namespace

// Drawing held back by the image's owner lands beneath whatever comes next,
// whichever call comes next, and only once.
TEST(TiledImage, HeldBackDrawingSettlesBeforeAnyReadOrChange)
{
    struct Square : TiledImage::Deferred {
        void Settle(TiledImage& image) override
        {
            ++settled;
            image.Fill(*PixmanRegion(0, 0, 10, 10).get(), 0xFF0000);
        }
        int settled = 0;
    };
    const std::vector<void (*)(TiledImage&)> next_calls = {
        [](TiledImage& image) { EXPECT_EQ(image.Pixel(5, 5), 0xFF0000u); },
        [](TiledImage& image) {
            uint32_t pixel = 0;
            image.Read(9, 9, 1, 1, &pixel, 1);
            EXPECT_EQ(pixel, 0xFF0000u);
        },
        [](TiledImage& image) {
            image.Fill(*PixmanRegion(5, 0, 20, 10).get(), 0x00FF00);
            EXPECT_EQ(image.Pixel(0, 0), 0xFF0000u);
            EXPECT_EQ(image.Pixel(5, 0), 0x00FF00u);
        },
        [](TiledImage& image) {
            const uint32_t blue[4] = {0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF};
            image.CopyPicture(nullptr, 8, 8, 2, 2, blue, 2);
            EXPECT_EQ(image.Pixel(7, 7), 0xFF0000u);
            EXPECT_EQ(image.Pixel(8, 8), 0x0000FFu);
        },
        [](TiledImage& image) {
            image.Resize(5, 5);
            EXPECT_EQ(image.Pixel(4, 4), 0xFF0000u);
        },
    };
    for (const auto& next : next_calls) {
        TiledImage image(100, 100, 0x000000);
        Square square;
        image.Defer(&square);
        next(image);
        image.Pixel(0, 0);
        EXPECT_EQ(square.settled, 1);
    }
}
