// How the X11 backend is set up at start: apart from the overlay, which
// never changes, where the foreground window is learnt and the visual the
// form windows take.
#pragma once

#include <memory>

#include "platform/focus/focus_source.h"

struct X11BackendSetup {
    // Where the foreground window is learnt; null for the window manager's
    // _NET_ACTIVE_WINDOW.
    std::unique_ptr<FocusSource> focus;
    // Form windows with an alpha channel, where a compositor draws a shadow
    // round opaque shaped windows (GNOME Shell 43's).
    bool argb_visual = false;
};
