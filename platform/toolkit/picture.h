// A picture as the forms store it: a 24-bit BMP, kept as its decoded pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class Picture {
public:
    Picture() = default;
    // Decodes a stored 24-bit bottom-up BMP; an unreadable one is a
    // run-time error (the program cannot start without its pictures).
    static Picture FromBmp(std::span<const uint8_t> bmp);

    int Width() const { return width_; }   // pixels
    int Height() const { return height_; } // pixels
    bool Empty() const { return width_ == 0; }
    // Rows bottom-up, 3 bytes a pixel in the order blue, green, red.
    const uint8_t* BottomUpBgr() const { return bits_.data(); }
    int Stride() const { return width_ * 3; }
    // The same pixels top-down as 0x00RRGGBB words, `Width()` a row: what the
    // project's own image copies from, a row at a time, with no conversion.
    const uint32_t* TopDownXrgb() const { return xrgb_.data(); }
    // 0x00RRGGBB at (x, y), y = 0 the top row.
    uint32_t Pixel(int x, int y) const;
    // Names these pixels: each decoded picture gets a new number, a copy
    // keeps it, an empty picture has 0. A backend that keeps pictures of its
    // own (on a display server) knows them again by it.
    uint64_t Id() const { return id_; }

private:
    int width_ = 0;
    int height_ = 0;
    uint64_t id_ = 0;
    std::vector<uint8_t> bits_;
    std::vector<uint32_t> xrgb_;
};
