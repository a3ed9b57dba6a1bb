// Which pixels of a 64x64 frame belong to the figure.
#pragma once

#include <array>
#include <cstdint>

struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

struct Mask {
    static constexpr int kSide = 64;
    std::array<uint8_t, kSide * kSide> cells{};

    bool At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < kSide && y < kSide && cells[y * kSide + x] != 0;
    }
    void Set(int x, int y, bool on) { cells[y * kSide + x] = on ? 1 : 0; }
    int Count() const;
    PixelBox Bounds() const;
};

// Background pixels that cannot reach the border through background (side
// neighbours only) would be holes in the window region: fill them.
void FillEnclosedHoles(Mask& mask);
