// What a person would see on the simulated desktop at one moment, as
// 0x00RRGGBB pixels, kept together with what would be there were no form
// shown, so a test can find exactly what the forms put on the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/winapi.h"

// Screen-sized pixel rows, shared: a screenshot never changes once taken.
using SimPixels = std::shared_ptr<const uint32_t[]>;

class SimScreenshot {
public:
    SimScreenshot(int width, int height, SimPixels seen, SimPixels without_forms);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels off the screen read as 0xFFFFFFFF, which no pixel on it has.
    uint32_t Pixel(int x, int y) const;
    uint32_t PixelWithoutForms(int x, int y) const;

    // Pixels of `color` inside `area` (clipped to the screen).
    int CountColor(const RECT& area, uint32_t color) const;
    // Pixels inside `area` that the forms changed.
    int CountChanged(const RECT& area) const;
    // The smallest rectangle holding every pixel the forms changed; none
    // when they changed nothing.
    std::optional<RECT> ChangedBounds() const;
    RECT Whole() const { return RECT{0, 0, width_, height_}; }

    // A binary PPM, for looking at a failing scene.
    bool WritePpm(const std::string& path) const;

private:
    RECT Clip(const RECT& area) const;
    const uint32_t* SeenRow(int y) const { return &seen_[size_t(y) * width_]; }
    const uint32_t* UnchangedRow(int y) const { return &without_forms_[size_t(y) * width_]; }

    int width_;
    int height_;
    SimPixels seen_;
    SimPixels without_forms_;
};
