// Reads the main connection's events a little at a time. A read of the
// socket takes at most what xcb's input buffer holds (4 KB), and the
// caller says how many reads it allows, so another client that keeps the
// socket full (client messages to our window, which no one can refuse)
// cannot keep the program reading, or its queue growing, for as long as
// it likes. Errors come with the events: races are ignored, anything else
// ends the program (x11_errors.h).
#pragma once

#include <xcb/xcb.h>

#include "platform/x11/x11_event.h"

class X11Connection;

class X11EventSource {
public:
    explicit X11EventSource(X11Connection& x) : x_(x) {}
    ~X11EventSource();
    X11EventSource(const X11EventSource&) = delete;
    X11EventSource& operator=(const X11EventSource&) = delete;

    // The next event: one already read or, while `reads_left` allows, one
    // from a read of the socket that never blocks (each read counts one
    // off). False when there is none.
    bool Next(X11Event& event, int& reads_left);
    // Whether the last read found the socket empty.
    bool Emptied() const { return emptied_; }
    // Whether an event was read and not yet taken.
    bool HasQueued();

private:
    X11Connection& x_;
    xcb_generic_event_t* peeked_ = nullptr;
    bool emptied_ = false;
};
