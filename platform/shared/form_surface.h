// What the project's own backends (the simulated desktop, X11, Wayland)
// keep for each form window: the persistent image, a device context over
// it, and the window region the window owns once SetWindowRgn gave it one.
// The backend decides how the image and the region reach the screen.
#pragma once

#include <cstdint>
#include <pixman.h>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/winapi.h"

class Picture;

class FormSurface {
public:
    FormSurface(int width, int height, uint32_t background_xrgb);
    ~FormSurface();
    FormSurface(const FormSurface&) = delete;
    FormSurface& operator=(const FormSurface&) = delete;

    HDC DC() const { return dc_; }
    const TiledImage& Image() const { return image_; }
    // A negative size is an empty image.
    void Resize(int width, int height);
    // Clears the whole image, ignoring any clip (Cls).
    void Clear(COLORREF color);
    // SRCCOPY of the whole picture at its own size, clipped by DC's clip.
    void DrawPicture(const Picture& picture, int x, int y);

    HRGN Region() const { return region_; }
    // The window region's area in window coordinates; null when there is
    // no region.
    const pixman_region32_t* RegionArea() const;
    // On success the surface owns `region` (null: none) and deletes the one
    // it had. A handle that is not a live region is refused and stays the
    // caller's.
    bool AdoptRegion(HRGN region);

private:
    TiledImage image_;
    HDC dc_;
    HRGN region_ = nullptr;
};

// A form's BackColor as the pixel its new window shows before anything is
// drawn: system colours (the high bit set) show as the button face.
uint32_t XrgbOfBackColor(int32_t back_color);
