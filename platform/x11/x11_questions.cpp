#include "platform/x11/x11_questions.h"

#include <cstdlib>
#include <poll.h>
#include <utility>
#include <xcb/xcbext.h> // taking a reply without waiting

#include "platform/shared/monotonic_clock.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"

namespace {

constexpr uint32_t Errors(std::initializer_list<uint8_t> codes)
{
    uint32_t bits = 0;
    for (uint8_t code : codes)
        bits |= uint32_t(1) << code;
    return bits;
}

// What a window gone meanwhile causes: BadWindow, and BadDrawable from the
// requests that take any drawable. A property's offset beyond its end
// (BadValue) means it shrank between two pieces.
constexpr uint32_t kWindowGone = Errors({XCB_WINDOW});
constexpr uint32_t kDrawableGone = Errors({XCB_WINDOW, XCB_DRAWABLE});
constexpr uint32_t kPropertyGone = Errors({XCB_WINDOW, XCB_VALUE});

} // namespace

X11Questions::X11Questions(X11Connection& x) : x_(x), connection_(x.Questions()) {}

X11Questions::~X11Questions()
{
    for (const auto& [ticket, question] : pending_)
        xcb_discard_reply(connection_, question.sequence);
}

template <class Reply>
X11Questions::Ticket X11Questions::Remember(unsigned int sequence, uint32_t expected_errors,
                                            std::function<void(const Reply*)> answered)
{
    xcb_flush(connection_);
    x11_errors::CheckConnection(connection_);
    ++asked_;
    pending_.emplace(++last_ticket_, Question{sequence, expected_errors,
                                              [answered = std::move(answered)](const void* reply) {
                                                  answered(static_cast<const Reply*>(reply));
                                              }});
    return last_ticket_;
}

X11Questions::Ticket
X11Questions::AskProperty(xcb_window_t window, xcb_atom_t property, uint32_t length,
                          std::function<void(const x11_properties::PropertyData*)> answered,
                          uint32_t offset)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, offset, length);
    return Remember<xcb_get_property_reply_t>(
        cookie.sequence, kPropertyGone,
        [answered = std::move(answered)](const xcb_get_property_reply_t* reply) {
            if (!reply) {
                answered(nullptr);
                return;
            }
            x11_properties::PropertyData data;
            if (reply->type != XCB_NONE &&
                (reply->format == 8 || reply->format == 16 || reply->format == 32)) {
                data.type = reply->type;
                data.format = reply->format;
                data.count = uint32_t(xcb_get_property_value_length(reply)) / (reply->format / 8);
                data.data = static_cast<const unsigned char*>(xcb_get_property_value(reply));
                data.more = reply->bytes_after > 0;
            }
            answered(&data);
        });
}

X11Questions::Ticket
X11Questions::AskTree(xcb_window_t window,
                      std::function<void(const xcb_query_tree_reply_t*)> answered)
{
    return Remember(xcb_query_tree(connection_, window).sequence, kWindowGone, std::move(answered));
}

X11Questions::Ticket
X11Questions::AskGeometry(xcb_window_t window,
                          std::function<void(const xcb_get_geometry_reply_t*)> answered)
{
    return Remember(xcb_get_geometry(connection_, window).sequence, kDrawableGone,
                    std::move(answered));
}

X11Questions::Ticket
X11Questions::AskPlace(xcb_window_t window, xcb_window_t in,
                       std::function<void(const xcb_translate_coordinates_reply_t*)> answered)
{
    return Remember(xcb_translate_coordinates(connection_, window, in, 0, 0).sequence, kWindowGone,
                    std::move(answered));
}

X11Questions::Ticket
X11Questions::AskFocus(std::function<void(const xcb_get_input_focus_reply_t*)> answered)
{
    return Remember(xcb_get_input_focus(connection_).sequence, 0, std::move(answered));
}

void X11Questions::Take()
{
    // Answers come in the order asked: once the oldest question has none
    // yet, neither has any later one.
    while (!pending_.empty()) {
        const auto oldest = pending_.begin();
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        const int came = xcb_poll_for_reply(connection_, oldest->second.sequence, &reply, &error);
        x11_errors::CheckConnection(connection_);
        if (!came)
            return;
        ++answered_;
        Question question = std::move(oldest->second);
        pending_.erase(oldest);
        if (error &&
            !(error->error_code < 32 && (question.expected_errors >> error->error_code & 1)))
            x11_errors::Report(*error, x_.ShapeOpcode());
        std::free(error);
        question.answered(reply);
        std::free(reply);
    }
}

void X11Questions::Await(int timeout_ms)
{
    const int64_t start = MonotonicNanoseconds();
    pollfd descriptor{Descriptor(), POLLIN, 0};
    poll(&descriptor, 1, timeout_ms);
    wait_ns_ += MonotonicNanoseconds() - start;
}

void X11Questions::Forget(Ticket& ticket)
{
    const auto question = pending_.find(std::exchange(ticket, 0));
    if (question == pending_.end())
        return;
    xcb_discard_reply(connection_, question->second.sequence);
    pending_.erase(question);
}

int X11Questions::Descriptor() const { return xcb_get_file_descriptor(connection_); }
