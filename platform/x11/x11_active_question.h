// Which window is in front, asked without waiting (see x11_questions.h):
// with a window manager that publishes it, _NET_ACTIVE_WINDOW; without one,
// the window holding the input focus, climbed to its top level.
#pragma once

#include <functional>
#include <xcb/xcb.h>

#include "platform/x11/x11_layout_lookup.h"
#include "platform/x11/x11_questions.h"

class X11Connection;

class X11ActiveQuestion {
public:
    // `answered` is told the window in front (XCB_NONE for none) once a
    // question is answered.
    X11ActiveQuestion(X11Connection& x, X11Questions& questions,
                      std::function<void(xcb_window_t)> answered);
    ~X11ActiveQuestion() { Forget(); }
    X11ActiveQuestion(const X11ActiveQuestion&) = delete;
    X11ActiveQuestion& operator=(const X11ActiveQuestion&) = delete;

    void Ask(bool ewmh);
    bool Asked() const { return asked_; }
    // Drops the question underway; `answered` is not told.
    void Forget();

private:
    void Answer(xcb_window_t window);

    X11Connection& x_;
    X11Questions& questions_;
    std::function<void(xcb_window_t)> answered_;
    bool asked_ = false;
    X11Questions::Ticket property_ = 0, focus_ = 0;
    X11LayoutLookup top_level_;
};
