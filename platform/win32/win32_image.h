// A form's persistent image: a memory DC holding a 32-bit top-down DIB
// section. The DC handle stays the same for the image's whole life (the
// form's hdc); resizing swaps the bitmap under it.
#pragma once

#include "platform/winapi.h"

class Picture;

class Win32Image {
public:
    Win32Image(int width, int height, COLORREF background);
    ~Win32Image();
    Win32Image(const Win32Image&) = delete;
    Win32Image& operator=(const Win32Image&) = delete;

    HDC DC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Keeps the pixels that still fit; new ones take `background`.
    void Resize(int width, int height, COLORREF background);
    // Fills the whole image, ignoring any clip selected in the DC.
    void Fill(COLORREF color);
    // SRCCOPY of the picture at its own size, clipped by the DC's clip.
    void Draw(const Picture& picture, int x, int y);
    // Copies `area` of the image to the same place on `target`.
    void CopyTo(HDC target, const RECT& area) const;

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ original_bitmap_ = nullptr;
    int width_;
    int height_;
};

// A toolkit colour as GDI takes it: a system colour (high bit set, the
// index in the low byte) is looked up, anything else is 0x00BBGGRR.
COLORREF Win32Colour(COLORREF toolkit_colour);
