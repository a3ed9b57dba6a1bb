#include "platform/x11/x11_event_source.h"

#include <cstdlib>
#include <cstring>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"

X11EventSource::~X11EventSource() { std::free(peeked_); }

bool X11EventSource::HasQueued()
{
    if (!peeked_)
        peeked_ = xcb_poll_for_queued_event(x_.Main());
    return peeked_ != nullptr;
}

bool X11EventSource::Next(X11Event& event, int& reads_left)
{
    for (;;) {
        xcb_generic_event_t* raw = peeked_;
        peeked_ = nullptr;
        if (!raw)
            raw = xcb_poll_for_queued_event(x_.Main());
        if (!raw && reads_left > 0) {
            --reads_left;
            raw = xcb_poll_for_event(x_.Main());
            emptied_ = raw == nullptr;
        }
        if (!raw) {
            x11_errors::CheckConnection(x_.Main());
            return false;
        }
        const uint8_t type = raw->response_type & 0x7F;
        if (type == 0)
            x11_errors::Report(*reinterpret_cast<const xcb_generic_error_t*>(raw), x_.ShapeOpcode());
        // None is selected; their data would follow the 32 bytes.
        const bool keep = type != 0 && type != XCB_GE_GENERIC;
        if (keep)
            std::memcpy(&event.raw, raw, sizeof event.raw);
        std::free(raw);
        if (keep)
            return true;
    }
}
