// Whether a window manager that follows the EWMH runs, and whether it names
// the window in front in _NET_ACTIVE_WINDOW, asked without waiting (see
// x11_reply.h): the verdict stays what it was until the new answers came.
//
// A live manager keeps a window naming itself in _NET_SUPPORTING_WM_CHECK
// on both the root and that window; one that died leaves the root's
// properties behind, naming a window that is gone. That window is watched
// for its end from the moment it is named.
#pragma once

#include <X11/Xlib.h>
#include <functional>

#include "platform/x11/x11_property_request.h"

class X11Connection;

class X11ManagerCheck {
public:
    // `reselect` is told of a window that starts or stops being watched
    // here (after the change, so that Watches tells the new state).
    X11ManagerCheck(X11Connection& x, std::function<void(Window)> reselect);

    // Starts asking (over again, if a question is underway).
    void Ask();
    bool Asking() const { return stage_ != Stage::kIdle; }
    // Takes what came and asks what follows; true when a verdict was just
    // reached.
    bool Advance();
    // Whether a verdict was ever reached.
    bool Decided() const { return decided_; }
    // The live manager's check window, None for none.
    Window Check() const { return check_; }
    // Whether _NET_ACTIVE_WINDOW names the window in front.
    bool Ewmh() const { return ewmh_; }
    // Whether the window's end is listened for here.
    bool Watches(Window window) const
    {
        return window != None && (window == check_ || window == named_);
    }

private:
    enum class Stage { kIdle, kRootCheck, kOwnCheck, kSupported };

    bool Decide(Window check, bool ewmh);
    void AskSupported(long offset);

    X11Connection& x_;
    std::function<void(Window)> reselect_;
    Stage stage_ = Stage::kIdle;
    x11_properties::PropertyRequest question_;
    Window named_ = None; // named by the root, not yet confirmed
    long offset_ = 0;     // of the piece of _NET_SUPPORTED asked for
    bool decided_ = false;
    Window check_ = None;
    bool ewmh_ = false;
};
