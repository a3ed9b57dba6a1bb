// XWayland under a wlroots compositor (sway, Hyprland, ...) ignores the
// Shape extension: a shaped overlay there is an opaque box over the screen.
#pragma once

class X11Connection;

namespace x11_xwayland {

// Whether the display is XWayland and the session's compositor is of the
// wlroots family (told by its IPC variables or XDG_CURRENT_DESKTOP).
bool UnderWlroots(X11Connection& x);

} // namespace x11_xwayland
