#include "tools/art/icons.h"

#include "tools/art/tube_paint.h"

IconImage DrawAppIcon(const TubePose& arch, int size)
{
    constexpr int kSub = 4;
    const double scale = size / 64.0;
    TubePose scaled = {arch.p0 * scale, arch.c0 * scale, arch.c1 * scale, arch.p1 * scale,
                       arch.half_width * scale};
    Box extent = TubeShape(scaled).Extent();
    Vec2 shift{(size - extent.left - extent.right) / 2, (size - extent.top - extent.bottom) / 2};
    scaled = {scaled.p0 + shift, scaled.c0 + shift, scaled.c1 + shift, scaled.p1 + shift,
              scaled.half_width};
    TubeShape shape(scaled);

    IconImage icon;
    icon.size = size;
    icon.bits = 32;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int covered = 0;
            Vec2 sum;
            for (int j = 0; j < kSub; ++j)
                for (int i = 0; i < kSub; ++i) {
                    Vec2 p{x + (i + 0.5) / kSub, y + (j + 0.5) / kSub};
                    if (shape.Sample(p).inside) {
                        ++covered;
                        sum = sum + p;
                    }
                }
            uint32_t pixel = 0;
            if (covered > 0) {
                // Shade where the figure actually is within the pixel.
                TubeSample s = shape.Sample(sum * (1.0 / covered));
                Rgb c = ShadeTube(s, shape.Length(), shape.HalfWidth());
                uint32_t alpha = covered == kSub * kSub ? 255 : 128;
                pixel = alpha << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
            }
            icon.pixels.push_back(pixel);
            icon.transparent.push_back(covered == 0 ? 1 : 0);
        }
    return icon;
}

IconImage DrawWindowIcon(int size, int bits)
{
    // Palette slots: the 16-colour palette has black 0, silver 7, cyan 14 and
    // white 15; the 2-colour one black 0 and white 1.
    const int white = bits == 1 ? 1 : 15;
    const int caption = bits == 1 ? 0 : 14;
    IconImage icon;
    icon.size = size;
    icon.bits = bits;
    if (bits == 1) {
        icon.palette = {{0, 0, 0}, {255, 255, 255}};
    } else {
        icon.palette = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    }
    // The window's frame, inclusive, and where its caption ends.
    const int left = size == 16 ? 0 : 1, right = size - 1 - left;
    const int top = size == 16 ? 1 : 3, bottom = size - 1 - (size == 16 ? 1 : 3);
    const int caption_end = top + (size == 16 ? 3 : 6);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool inside = x >= left && x <= right && y >= top && y <= bottom;
            bool frame = x == left || x == right || y == top || y == bottom || y == caption_end;
            int index = !inside ? 0 : frame ? 0 : y < caption_end ? caption : white;
            // A white close box at the caption's right end, where there is room.
            if (size == 32 && inside && y > top + 1 && y < caption_end - 1 && x > right - 6 &&
                x < right - 1)
                index = white;
            icon.pixels.push_back(uint32_t(index));
            icon.transparent.push_back(inside ? 0 : 1);
        }
    return icon;
}
