// Judges a screenshot the way a person looking for the walkers would: how
// many pixels in a band (just above a window's top edge) have the figures'
// colours, how many have them elsewhere, and where in the band to click to
// hit a figure.
//
//   screen_probe SHOT.xwd X0 Y0 X1 Y1 [BEFORE.xwd]
//
// The band is [X0, X1) x [Y0, Y1). Given BEFORE, a screenshot of the same
// screen without the walkers, only pixels that changed count: the window
// manager's greys, icons and black text are not figures.
// Prints key=value lines: band_brown, band_caps, band_black, outside_brown,
// pick (x y, or none).
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/wine/xwd_image.h"

namespace {

// The figure's body: a speckled brown, red well over green well over blue
// (about 9 : 6 : 2), lit or shaded. Yellows and greys are not brown.
bool IsBrown(Rgb8 c)
{
    return c.r - c.g >= 12 && c.g - c.b >= 8;
}

// The caps: neutral greys up to off-white (never pure white).
bool IsCapGrey(Rgb8 c)
{
    const int high = std::max({c.r, c.g, c.b});
    const int low = std::min({c.r, c.g, c.b});
    return high - low <= 8 && low >= 40 && high <= 230;
}

bool IsPureBlack(Rgb8 c) { return c.r == 0 && c.g == 0 && c.b == 0; }

bool Same(Rgb8 a, Rgb8 b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

struct Band {
    int x0, y0, x1, y1;
    bool Contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The band pixel with the most brown around it: the middle of a figure.
void PrintPick(const XwdImage& shot, const Band& band)
{
    constexpr int kReach = 5;
    int best = 0, best_x = 0, best_y = 0;
    for (int y = std::max(band.y0, 0); y < std::min(band.y1, shot.height); ++y)
        for (int x = std::max(band.x0, 0); x < std::min(band.x1, shot.width); ++x) {
            if (!IsBrown(shot.At(x, y)))
                continue;
            int around = 0;
            for (int dy = -kReach; dy <= kReach; ++dy)
                for (int dx = -kReach; dx <= kReach; ++dx) {
                    int u = x + dx, v = y + dy;
                    around += u >= 0 && v >= 0 && u < shot.width && v < shot.height &&
                              IsBrown(shot.At(u, v));
                }
            if (around > best) {
                best = around;
                best_x = x;
                best_y = y;
            }
        }
    if (best == 0)
        std::cout << "pick=none\n";
    else
        std::cout << "pick=" << best_x << " " << best_y << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) {
        std::cerr << "usage: screen_probe SHOT.xwd X0 Y0 X1 Y1 [BEFORE.xwd]\n";
        return 2;
    }
    std::string error;
    auto shot = ReadXwd(argv[1], &error);
    if (!shot) {
        std::cerr << "screen_probe: " << error << "\n";
        return 2;
    }
    std::optional<XwdImage> before;
    if (argc == 7) {
        before = ReadXwd(argv[6], &error);
        if (!before || before->width != shot->width || before->height != shot->height) {
            std::cerr << "screen_probe: no matching screenshot to compare with: " << error << "\n";
            return 2;
        }
    }
    const Band band{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};

    int band_brown = 0, band_caps = 0, band_black = 0, outside_brown = 0;
    for (int y = 0; y < shot->height; ++y)
        for (int x = 0; x < shot->width; ++x) {
            const Rgb8 c = shot->At(x, y);
            const bool changed = !before || !Same(c, before->At(x, y));
            if (!band.Contains(x, y)) {
                outside_brown += changed && IsBrown(c);
                continue;
            }
            band_brown += changed && IsBrown(c);
            band_caps += changed && IsCapGrey(c);
            band_black += changed && IsPureBlack(c);
        }
    std::cout << "band_brown=" << band_brown << "\nband_caps=" << band_caps
              << "\nband_black=" << band_black << "\noutside_brown=" << outside_brown << "\n";
    PrintPick(*shot, band);
    return 0;
}
