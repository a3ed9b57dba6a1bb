#include "tools/art/contact_sheet.h"

#include "tools/art/png_writer.h"

std::vector<uint8_t> ContactSheetPng(std::span<const Bmp24> frames, int scale)
{
    constexpr int kBar = 4;
    constexpr uint8_t kBarGrey = 110;
    const int cell = Bmp24::kSide * scale;
    const int width = int(frames.size()) * (cell + kBar) + kBar;
    const int height = cell + 2 * kBar;
    std::vector<uint8_t> rgb(size_t(width) * height * 3, kBarGrey);
    for (size_t k = 0; k < frames.size(); ++k)
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                Rgb c = frames[k].Pixel(x / scale, y / scale);
                size_t at = (size_t(y + kBar) * width + kBar + k * (cell + kBar) + x) * 3;
                rgb[at] = c.r;
                rgb[at + 1] = c.g;
                rgb[at + 2] = c.b;
            }
    return EncodePng(width, height, rgb);
}
