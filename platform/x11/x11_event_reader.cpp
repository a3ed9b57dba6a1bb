#include "platform/x11/x11_event_reader.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlibint.h> // XESetWireToEvent, the hook extensions convert events by
#include <cstdlib>
#include <functional>

#include "platform/x11/x11_errors.h"

namespace {

// The event's 32-bit sequence number widened to Xlib's serials: the
// latest serial at or below the last request sent that ends in it.
unsigned long Serial(Display* display, uint32_t sequence)
{
    const unsigned long last = NextRequest(display) - 1;
    unsigned long serial = (last & ~0xFFFFFFFFul) | sequence;
    if (serial > last && serial > 0xFFFFFFFFul)
        serial -= 0x100000000ul;
    return serial;
}

} // namespace

X11EventReader::X11EventReader(Display* display)
    : display_(display), connection_(XGetXCBConnection(display)),
      settled_up_to_(NextRequest(display))
{
    XSetEventQueueOwner(display_, XCBOwnsEventQueue);
}

X11EventReader::~X11EventReader()
{
    std::free(peeked_);
    XSetEventQueueOwner(display_, XlibOwnsEventQueue);
}

bool X11EventReader::HasQueued()
{
    if (!peeked_)
        peeked_ = xcb_poll_for_queued_event(connection_);
    return peeked_ != nullptr;
}

bool X11EventReader::Next(XEvent& event, int& reads_left)
{
    for (;;) {
        xcb_generic_event_t* raw = peeked_;
        peeked_ = nullptr;
        if (!raw)
            raw = xcb_poll_for_queued_event(connection_);
        if (!raw && reads_left > 0) {
            --reads_left;
            raw = xcb_poll_for_event(connection_);
            quiet_ = emptied_ = raw == nullptr;
        }
        if (!raw) {
            if (xcb_connection_has_error(connection_))
                x11_errors::LostConnection();
            return false;
        }
        const bool converted = Convert(raw, event);
        std::free(raw);
        if (converted)
            return true;
    }
}

// Xlib collects the notes of requests the server has answered as it reads
// events, without waiting for anything; it reads only while it holds the
// events. So it is let hold them for a moment, when nothing waits to be read
// (what it reads meanwhile comes back through its own queue).
bool X11EventReader::Settle(const std::function<void(const XEvent&)>& observe)
{
    const bool quiet = quiet_;
    quiet_ = false;
    if (!quiet || NextRequest(display_) - settled_up_to_ < kSettleAfter || HasQueued())
        return false;
    XSetEventQueueOwner(display_, XlibOwnsEventQueue);
    XEventsQueued(display_, QueuedAfterReading);
    XEvent event;
    while (XQLength(display_) > 0) {
        XNextEvent(display_, &event);
        observe(event);
    }
    XSetEventQueueOwner(display_, XCBOwnsEventQueue);
    settled_up_to_ = NextRequest(display_);
    return true;
}

// Xlib's own conversion of an event of this type (extensions add theirs,
// when they are first used: those are asked for every time).
X11EventReader::WireToEvent X11EventReader::ConverterOf(int type)
{
    if (type < LASTEvent && core_converters_[type])
        return core_converters_[type];
    const WireToEvent converter = XESetWireToEvent(display_, type, nullptr);
    XESetWireToEvent(display_, type, converter);
    if (type < LASTEvent)
        core_converters_[type] = converter;
    return converter;
}

bool X11EventReader::Convert(xcb_generic_event_t* raw, XEvent& event)
{
    if (raw->response_type == 0) {
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(raw);
        XErrorEvent report{};
        report.type = 0;
        report.display = display_;
        report.resourceid = error->resource_id;
        report.serial = Serial(display_, error->full_sequence);
        report.error_code = error->error_code;
        report.request_code = error->major_code;
        report.minor_code = static_cast<unsigned char>(error->minor_code);
        x11_errors::Report(display_, report);
        return false;
    }
    const int type = raw->response_type & 0x7F;
    if (type == GenericEvent)
        return false; // none is selected; their data would need a cookie
    const WireToEvent converter = ConverterOf(type);
    if (!converter)
        return false;
    // A converter widens the event's 16-bit sequence against the last
    // request Xlib read. An event queued before a reply Xlib has since read
    // would look lost to it (it says so on stderr and steps its count back),
    // so it is shown the event's own serial, and the count never goes back.
    const unsigned long serial = Serial(display_, raw->full_sequence);
    const unsigned long read = X_DPY_GET_LAST_REQUEST_READ(display_);
    X_DPY_SET_LAST_REQUEST_READ(display_, serial);
    event = XEvent{};
    const bool converted = converter(display_, &event, reinterpret_cast<xEvent*>(raw));
    X_DPY_SET_LAST_REQUEST_READ(display_, read > serial ? read : serial);
    event.xany.serial = serial;
    return converted;
}
