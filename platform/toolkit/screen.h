// The global Screen object: its size in twips and the twips per pixel,
// asked of the desktop afresh at every use.
#pragma once

#include <cstdint>

class ScreenObject {
public:
    int32_t Width() const;  // twips
    int32_t Height() const; // twips
    float TwipsPerPixelX() const;
    float TwipsPerPixelY() const;
};

extern const ScreenObject Screen;
