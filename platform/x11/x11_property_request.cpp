#include "platform/x11/x11_property_request.h"

#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

namespace x11_properties {

void PropertyRequest::Ask(X11Connection& x, Window window, Atom property, long length, long offset)
{
    Forget();
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        XGetXCBConnection(x.queries()), 0, xcb_window_t(window), xcb_atom_t(property),
        XCB_GET_PROPERTY_TYPE_ANY, uint32_t(offset), uint32_t(length));
    reply_.Sent(x, cookie.sequence);
}

bool PropertyRequest::Take()
{
    if (!reply_.Pending())
        return reply_.Asked();
    if (!reply_.Take())
        return false;
    Keep();
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

void PropertyRequest::Keep()
{
    const auto* reply = reply_.As<xcb_get_property_reply_t>();
    answer_ = PropertyData{};
    failed_ = !reply;
    if (!reply || reply->type == XCB_NONE)
        return;
    const auto* value = static_cast<const unsigned char*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply); // in bytes
    more_ = reply->bytes_after > 0;
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
    reply_.Forget();
    failed_ = false;
    more_ = false;
    items_.clear();
    shorts_.clear();
    answer_ = PropertyData{};
}

} // namespace x11_properties
