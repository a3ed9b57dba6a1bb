#include "platform/x11/x11_property_request.h"

#include <X11/Xlib-xcb.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcbext.h> // taking a reply without waiting

#include "platform/x11/x11_connection.h"

namespace x11_properties {

void PropertyRequest::Ask(X11Connection& x, Window window, Atom property, long length)
{
    Forget();
    x_ = &x;
    xcb_connection_t* connection = XGetXCBConnection(x.queries());
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, xcb_window_t(window), xcb_atom_t(property),
                         XCB_GET_PROPERTY_TYPE_ANY, 0, uint32_t(length));
    xcb_flush(connection);
    x.CountAsked();
    sequence_ = cookie.sequence;
    pending_ = true;
}

bool PropertyRequest::Take(bool wait)
{
    if (!pending_)
        return answered_;
    xcb_connection_t* connection = XGetXCBConnection(x_->queries());
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (wait) {
        const X11Connection::RoundTrip trip(*x_, false);
        reply = xcb_wait_for_reply(connection, sequence_, &error);
    } else if (!xcb_poll_for_reply(connection, sequence_, &reply, &error)) {
        return false;
    }
    std::free(error); // a window that is gone: no property
    pending_ = false;
    answered_ = true;
    Keep(static_cast<xcb_get_property_reply_t*>(reply));
    return true;
}

// Items as Xlib hands them over, widened from the `Sent` the server sent
// into `into`, which keeps them while the answer is read.
template <class Sent, class Wide>
void PropertyRequest::Widen(const unsigned char* value, int length, std::vector<Wide>& into)
{
    const auto* from = reinterpret_cast<const Sent*>(value);
    into.assign(from, from + length / int(sizeof(Sent)));
    answer_.count = into.size();
    answer_.data = reinterpret_cast<const unsigned char*>(into.data());
}

void PropertyRequest::Keep(xcb_get_property_reply_t* reply)
{
    reply_ = reply;
    answer_ = PropertyData{};
    if (!reply || reply->type == XCB_NONE)
        return;
    const auto* value = static_cast<const unsigned char*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply); // in bytes
    answer_.type = reply->type;
    answer_.format = reply->format;
    switch (reply->format) {
    case 8:
        answer_.count = unsigned(length);
        answer_.data = value;
        break;
    case 16:
        Widen<int16_t>(value, length, shorts_);
        break;
    case 32:
        Widen<uint32_t>(value, length, items_);
        break;
    default:
        answer_ = PropertyData{};
        break;
    }
}

void PropertyRequest::Forget()
{
    if (pending_)
        xcb_discard_reply(XGetXCBConnection(x_->queries()), sequence_);
    pending_ = false;
    answered_ = false;
    std::free(reply_);
    reply_ = nullptr;
    items_.clear();
    shorts_.clear();
    answer_ = PropertyData{};
}

} // namespace x11_properties
