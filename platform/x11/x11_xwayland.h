// XWayland under a wlroots compositor (sway, Hyprland, ...) ignores the
// Shape extension: a shaped overlay there is an opaque box over the screen.
#pragma once

#include <X11/Xlib.h>

namespace x11_xwayland {

// Whether `display` is XWayland and the session's compositor is of the
// wlroots family (told by its IPC variables or XDG_CURRENT_DESKTOP).
bool UnderWlroots(Display* display);

} // namespace x11_xwayland
