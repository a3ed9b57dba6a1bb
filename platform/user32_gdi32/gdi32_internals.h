// What the project's own backends (the simulated desktop and X11) need of
// the project's gdi32 beyond the Windows calls themselves: device contexts
// over a client-side pixman image, a look at a live region, and live-object
// counts by kind, which the tests use to prove that nothing leaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <pixman.h>

class TiledImage;

#include "platform/user32_gdi32/win_constants.h"

namespace gdi32_internals {

enum class Kind { Region, Brush, DC };

// A DC that draws into `image`, which the caller keeps alive until
// DeleteImageDC. The DC starts with no clip and the white stock brush.
HDC CreateImageDC(TiledImage* image);
void DeleteImageDC(HDC dc);

// The image and the clip region (nullptr: no clip) of a live DC.
TiledImage* ImageOf(HDC dc);
const pixman_region32_t* ClipOf(HDC dc);

// The rectangles of a live region; nullptr for a handle that is not one.
const pixman_region32_t* RegionOf(HRGN region);

// Copies a picture of top-down 0x00RRGGBB rows (`stride` pixels apart) into
// the DC's image with its top-left corner at (x, y) pixels, SRCCOPY,
// honouring the DC's clip region.
void CopyPicture(HDC dc, int x, int y, int width, int height, const uint32_t* xrgb, int stride);

// Fills the DC's whole image with a colour, ignoring the clip (Cls).
void Clear(HDC dc, COLORREF color);

std::size_t LiveObjects(Kind kind);

} // namespace gdi32_internals
