// Whether a window manager that follows the EWMH runs, and whether it names
// the window in front in _NET_ACTIVE_WINDOW, asked without waiting (see
// x11_questions.h): the verdict stays what it was until the new answers
// came.
//
// A live manager keeps a window naming itself in _NET_SUPPORTING_WM_CHECK
// on both the root and that window; one that died leaves the root's
// properties behind, naming a window that is gone. That window is watched
// for its end from the moment it is named.
#pragma once

#include <cstdint>
#include <functional>
#include <xcb/xcb.h>

#include "platform/x11/x11_questions.h"

class X11Connection;

class X11ManagerCheck {
public:
    // `reselect` is told of a window that starts or stops being watched
    // here (after the change, so that Watches tells the new state);
    // `changed` of a verdict that differs from the one before.
    X11ManagerCheck(X11Connection& x, X11Questions& questions,
                    std::function<void(xcb_window_t)> reselect, std::function<void()> changed);
    ~X11ManagerCheck() { questions_.Forget(asked_); }
    X11ManagerCheck(const X11ManagerCheck&) = delete;
    X11ManagerCheck& operator=(const X11ManagerCheck&) = delete;

    // Starts asking (over again, if a question is underway).
    void Ask();
    bool Asking() const { return stage_ != Stage::kIdle; }
    // Whether a verdict was ever reached.
    bool Decided() const { return decided_; }
    // The live manager's check window, XCB_NONE for none.
    xcb_window_t Check() const { return check_; }
    // Whether _NET_ACTIVE_WINDOW names the window in front.
    bool Ewmh() const { return ewmh_; }
    // Whether the window's end is listened for here.
    bool Watches(xcb_window_t window) const
    {
        return window != XCB_NONE && (window == check_ || window == named_);
    }

private:
    enum class Stage { kIdle, kRootCheck, kOwnCheck, kSupported };

    void AskProperty(xcb_window_t window, xcb_atom_t property, uint32_t length, uint32_t offset,
                     Stage stage);
    void AskSupported(uint32_t offset);
    void Answered(const x11_properties::PropertyData* answer);
    void Decide(xcb_window_t check, bool ewmh);

    X11Connection& x_;
    X11Questions& questions_;
    std::function<void(xcb_window_t)> reselect_;
    std::function<void()> changed_;
    Stage stage_ = Stage::kIdle;
    X11Questions::Ticket asked_ = 0;
    xcb_window_t named_ = XCB_NONE; // named by the root, not yet confirmed
    uint32_t offset_ = 0;           // of the piece of _NET_SUPPORTED asked for
    bool decided_ = false;
    xcb_window_t check_ = XCB_NONE;
    bool ewmh_ = false;
};
