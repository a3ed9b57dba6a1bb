// A picture painted under its own outline can stay with the compositor or
// the X server and be moved rather than painted again. The first clip it is
// painted under becomes its outline; later paints match only when their
// clip is that outline moved.
#pragma once

#include "platform/user32_gdi32/pixman_region.h"

class Picture;

// Whether `clip` is `outline` moved by (dx, dy), rectangle by rectangle:
// both are y-x banded the same way when they cover the same pixels.
bool SameMoved(const pixman_region32_t& clip, const pixman_region32_t& outline, int dx, int dy);

// The outline of `picture` painted at (x, y) under `clip`, in the picture's
// own pixels; false when the clip is empty or reaches outside the picture.
bool OutlineOf(const Picture& picture, const pixman_region32_t& clip, int x, int y,
               PixmanRegion& outline);
