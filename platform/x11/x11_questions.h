// The questions asked about other clients' windows, and their answers. They
// go on the connection for questions, and no answer is waited for: while
// another client floods the server, the server may take a second to come to
// a question, and a tick that waited for it would stop for that long, so
// what is known already is answered meanwhile. An answer is taken once it
// has come, and handed to the callback given with its question. Only at the
// start are the first answers waited for, for a moment.
//
// Each question expects the errors that a window gone meanwhile causes:
// those answer it with no reply. Any other error is a fault of this
// program's own, and ends it (x11_errors.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <xcb/xcb.h>

#include "platform/x11/x11_property_checks.h"

class X11Connection;

class X11Questions {
public:
    // Names a question underway, to forget it by; 0 names none.
    using Ticket = uint64_t;

    explicit X11Questions(X11Connection& x);
    ~X11Questions();
    X11Questions(const X11Questions&) = delete;
    X11Questions& operator=(const X11Questions&) = delete;

    // `length` 32-bit units of a property from `offset` on, of any type.
    // No answer (null) when the window is gone, or the offset lies beyond
    // the property's end.
    Ticket AskProperty(xcb_window_t window, xcb_atom_t property, uint32_t length,
                       std::function<void(const x11_properties::PropertyData*)> answered,
                       uint32_t offset = 0);
    // A window's parent and root; null when it is gone.
    Ticket AskTree(xcb_window_t window,
                   std::function<void(const xcb_query_tree_reply_t*)> answered);
    // A window's place in its parent and its size; null when it is gone.
    Ticket AskGeometry(xcb_window_t window,
                       std::function<void(const xcb_get_geometry_reply_t*)> answered);
    // Where `window`'s corner lies in `in`; null when either is gone.
    Ticket AskPlace(xcb_window_t window, xcb_window_t in,
                    std::function<void(const xcb_translate_coordinates_reply_t*)> answered);
    // The window holding the input focus.
    Ticket AskFocus(std::function<void(const xcb_get_input_focus_reply_t*)> answered);

    // Takes every answer that came, in the order asked, and hands each to
    // its callback (which may ask or forget questions).
    void Take();
    // Waits at most `timeout_ms` for something to arrive (only at the
    // start, for the first answers).
    void Await(int timeout_ms);
    // Drops a question underway, or nothing; `ticket` names none after.
    void Forget(Ticket& ticket);

    // Whether an answer is awaited, and the connection it comes on.
    bool Waiting() const { return !pending_.empty(); }
    int Descriptor() const;

    // Questions asked (the statistics' round trips: each costs one, but
    // none is waited for), answers taken, and the time spent waiting.
    uint64_t Asked() const { return asked_; }
    uint64_t Answered() const { return answered_; }
    int64_t WaitNanoseconds() const { return wait_ns_; }

private:
    struct Question {
        unsigned int sequence;
        uint32_t expected_errors; // a bit for each error code
        std::function<void(const void*)> answered;
    };

    // Keeps the request just sent until its answer comes, and sends it out.
    template <class Reply>
    Ticket Remember(unsigned int sequence, uint32_t expected_errors,
                    std::function<void(const Reply*)> answered);

    X11Connection& x_;
    xcb_connection_t* connection_;
    Ticket last_ticket_ = 0;
    std::map<Ticket, Question> pending_; // in the order asked
    uint64_t asked_ = 0;
    uint64_t answered_ = 0;
    int64_t wait_ns_ = 0;
};
