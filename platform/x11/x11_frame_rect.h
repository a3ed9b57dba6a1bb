// The rectangle a person sees as a window, worked out from what the server
// and the window's owner say. The owner's extents are whatever it stored
// (a client may claim 0x7fffffff pixels of decoration), so every extent is
// clamped to the window's own size before it is added or subtracted, and
// the sums are formed in 64 bits: no property value can overflow them.
#pragma once

#include <cstdint>

#include "platform/user32_gdi32/win_types.h"

namespace x11_frame {

// _NET_FRAME_EXTENTS or _GTK_FRAME_EXTENTS as stored: left, right, top,
// bottom.
struct Extents {
    bool present = false;
    uint32_t left = 0, right = 0, top = 0, bottom = 0;
};

struct Layout {
    // The top-level window in the root: outer corner, size, border.
    int top_x = 0, top_y = 0, top_width = 0, top_height = 0, top_border = 0;
    // The window's inside corner in the top level's inside, and its size.
    int client_dx = 0, client_dy = 0, client_width = 0, client_height = 0;
};

// The window manager's decorations around the window (the frame extents,
// else its frame window), less the shadows a client draws around itself
// (the GTK extents). Right and bottom exclusive.
RECT VisibleRect(const Layout& layout, const Extents& frame, const Extents& shadows);

} // namespace x11_frame
