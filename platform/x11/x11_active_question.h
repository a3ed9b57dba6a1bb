// Which window is in front, asked without waiting (see x11_reply.h): with a
// window manager that publishes it, _NET_ACTIVE_WINDOW; without one, the
// window holding the input focus, climbed to its top level.
#pragma once

#include <X11/Xlib.h>

#include "platform/x11/x11_layout_lookup.h"
#include "platform/x11/x11_property_request.h"
#include "platform/x11/x11_reply.h"

class X11Connection;

class X11ActiveQuestion {
public:
    explicit X11ActiveQuestion(X11Connection& x) : x_(x) {}

    void Ask(bool ewmh);
    bool Asked() const { return asked_; }
    // Takes what came and asks what follows; true once answered, with the
    // window in front (None for none) in `window`.
    bool Take(Window& window);
    void Forget();

private:
    bool Answer(Window window, Window& answer);

    X11Connection& x_;
    bool asked_ = false;
    x11_properties::PropertyRequest property_;
    X11Reply focus_;
    X11LayoutLookup top_level_;
};
