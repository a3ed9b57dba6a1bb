// Reads the events of the connection a little at a time. Xlib, asked for
// events, reads the socket until it is empty; another client that keeps it
// full (client messages to our window, which no one can refuse) then keeps
// Xlib reading, and growing its queue, for as long as it likes. Here the
// connection's own library holds the queue: one read of the socket takes
// at most a few kilobytes, and each event is turned into Xlib's form as it
// is taken.
//
// While it does not hold the events, Xlib keeps a note of every request
// sent, to collect its error later, when it reads. A round trip would make
// it collect them, but behind a flood that waits for, and holds, all the
// flood sent before it; instead Xlib is let read once, right after a read
// found the connection quiet.
#pragma once

#include <X11/Xlib.h>
#include <functional>
#include <xcb/xcb.h>

class X11EventReader {
public:
    // Takes the display's events over (until destroyed).
    explicit X11EventReader(Display* display);
    ~X11EventReader();
    X11EventReader(const X11EventReader&) = delete;
    X11EventReader& operator=(const X11EventReader&) = delete;

    // The next event: one already read or, if `may_read`, one from a read
    // of the socket that never blocks. False when there is none.
    bool Next(XEvent& event, bool may_read);
    // Whether an event was read and not yet taken.
    bool HasQueued();
    // Lets Xlib collect its notes if the last read found nothing and
    // enough requests were sent since (a few seconds' ticks); what it reads
    // meanwhile goes to `observe`.
    void Settle(const std::function<void(const XEvent&)>& observe);
    static constexpr unsigned long kSettleAfter = 1000;

private:
    bool Convert(xcb_generic_event_t* raw, XEvent& event);

    Display* display_;
    xcb_connection_t* connection_;
    xcb_generic_event_t* peeked_ = nullptr;
    bool quiet_ = false; // a read found nothing, and nothing was settled since
    unsigned long settled_up_to_;
};
