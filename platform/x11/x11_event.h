// An event as the server sent it, kept by value: every core and Shape
// event is 32 bytes (no GenericEvent is ever selected), and the events
// waiting to be acted on are kept in a queue of these.
#pragma once

#include <cstdint>
#include <xcb/xcb.h>

struct X11Event {
    xcb_generic_event_t raw{};

    // The type, without the bit that marks one sent by a client.
    uint8_t Type() const { return raw.response_type & 0x7F; }
    // Sent by a client (SendEvent), not by the server.
    bool Synthetic() const { return (raw.response_type & 0x80) != 0; }
    // The event as its own struct (they all share the generic one's layout).
    template <class Event>
    const Event& As() const
    {
        static_assert(sizeof(Event) <= sizeof(xcb_generic_event_t));
        return *reinterpret_cast<const Event*>(&raw);
    }
};
