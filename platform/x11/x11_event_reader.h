// Reads the events of the connection a little at a time. Xlib, asked for
// events, reads the socket until it is empty; another client that keeps it
// full (client messages to our window, which no one can refuse) then keeps
// Xlib reading, and growing its queue, for as long as it likes. Here the
// connection's own library holds the queue: one read of the socket takes
// at most a few kilobytes, the caller says how many reads it allows, and
// each event is turned into Xlib's form as it is taken.
//
// While it does not hold the events, Xlib keeps a note of every request
// sent, to collect its error later, when it reads. A round trip would make
// it collect them, but behind a flood that waits for, and holds, all the
// flood sent before it. The loop's own writes keep no notes (see
// X11Outflow::Send); for the others Xlib is let read once, right after a
// read found the connection quiet, and only after a while without events.
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

    // The next event: one already read or, while `reads_left` allows, one
    // from a read of the socket that never blocks (each read counts one
    // off). False when there is none.
    bool Next(XEvent& event, int& reads_left);
    // Whether the last read found the socket empty.
    bool Emptied() const { return emptied_; }
    // Whether an event was read and not yet taken.
    bool HasQueued();
    // Lets Xlib collect its notes if the last read found nothing and
    // enough requests were sent since (a few seconds' ticks); what it reads
    // meanwhile goes to `observe`. True if it did.
    bool Settle(const std::function<void(const XEvent&)>& observe);
    static constexpr unsigned long kSettleAfter = 1000;

private:
    bool Convert(xcb_generic_event_t* raw, XEvent& event);
    using WireToEvent = Bool (*)(Display*, XEvent*, struct _xEvent*);
    WireToEvent ConverterOf(int type);

    Display* display_;
    xcb_connection_t* connection_;
    xcb_generic_event_t* peeked_ = nullptr;
    bool quiet_ = false; // a read found nothing, and nothing was settled since
    bool emptied_ = false; // the last read found nothing
    unsigned long settled_up_to_;
    // Xlib's converters of the core events, looked up once each: asking
    // Xlib takes its lock twice, for every event of a flood.
    WireToEvent core_converters_[LASTEvent] = {};
};
