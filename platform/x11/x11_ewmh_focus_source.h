// The focus source of a desktop whose window manager follows the EWMH: the
// foreground window as _NET_ACTIVE_WINDOW names it, its title and frame,
// all kept current by the X events the backend reads (x11_foreground.h).
// Its events arrive on the backend's main connection, so it has no
// descriptor of its own.
#pragma once

#include "platform/focus/focus_source.h"

class X11Foreground;

class X11EwmhFocusSource final : public FocusSource {
public:
    explicit X11EwmhFocusSource(X11Foreground& foreground) : foreground_(foreground) {}

    int EventDescriptor() const override { return -1; }
    bool ReadEvents() override { return true; }
    // Takes the answers that came and asks what follows.
    void Refresh() override;
    // In root pixels.
    std::optional<FocusedWindow> Focused() const override;
    std::string Name() const override { return "the window manager (EWMH)"; }

private:
    X11Foreground& foreground_;
};
