#include "platform/x11/x11_stop.h"

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"

namespace x11_stop {

namespace {

using namespace std::chrono_literals;

// Window managers put a client's window one or two levels under the root
// (a frame, sometimes a frame within a frame); look no deeper.
constexpr int kSearchDepth = 3;
constexpr auto kEndTimeout = 10s;

// Every question goes on the question connection and is waited for there.
// Its error comes back here rather than among the events, which no one
// reads on that connection. No reply means the window is gone or, when the
// connection is gone too, the program ends saying so.
template <class Reply, class Cookie>
Reply* Ask(X11Connection& x, Cookie cookie,
           Reply* (*reply_of)(xcb_connection_t*, Cookie, xcb_generic_error_t**))
{
    xcb_generic_error_t* error = nullptr;
    Reply* reply = reply_of(x.Questions(), cookie, &error);
    std::free(error);
    if (!reply)
        x11_errors::CheckConnection(x.Questions());
    return reply;
}

// Any client may store anything under the name: only one CARDINAL of 32
// bits that is this user's id counts.
bool OwnedByThisUser(X11Connection& x, xcb_window_t window)
{
    xcb_get_property_reply_t* reply = Ask(
        x,
        xcb_get_property(x.Questions(), 0, window, x.atoms().walkers_user, XCB_ATOM_CARDINAL, 0, 1),
        xcb_get_property_reply);
    if (!reply)
        return false;
    const bool mine = reply->type == XCB_ATOM_CARDINAL && reply->format == 32 &&
                      xcb_get_property_value_length(reply) == 4 &&
                      *static_cast<const uint32_t*>(xcb_get_property_value(reply)) == getuid();
    std::free(reply);
    return mine;
}

// The marked windows at or below `window`; a window that goes meanwhile
// simply has no children.
void FindMarked(X11Connection& x, xcb_window_t window, int depth, std::vector<xcb_window_t>& found)
{
    if (OwnedByThisUser(x, window)) {
        found.push_back(window);
        return;
    }
    if (depth == 0)
        return;
    xcb_query_tree_reply_t* tree =
        Ask(x, xcb_query_tree(x.Questions(), window), xcb_query_tree_reply);
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const std::vector<xcb_window_t> list(children, children + xcb_query_tree_children_length(tree));
    std::free(tree);
    for (xcb_window_t child : list)
        FindMarked(x, child, depth - 1, found);
}

bool Exists(X11Connection& x, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* attributes =
        Ask(x, xcb_get_window_attributes(x.Questions(), window), xcb_get_window_attributes_reply);
    std::free(attributes);
    return attributes != nullptr;
}

void SendStop(X11Connection& x, xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = x.atoms().walkers_stop;
    // No event mask: the event goes to the client that made the window.
    xcb_send_event(x.Main(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
}

} // namespace

void MarkStoppable(X11Connection& x, xcb_window_t window)
{
    const uint32_t user = getuid();
    xcb_change_property(x.Main(), XCB_PROP_MODE_REPLACE, window, x.atoms().walkers_user,
                        XCB_ATOM_CARDINAL, 32, 1, &user);
}

int StopRunningWalkers(X11Connection& x, std::ostream& err)
{
    std::vector<xcb_window_t> running;
    FindMarked(x, x.Root(), kSearchDepth, running);
    if (running.empty()) {
        err << "walkers: no walkers of yours are running on this display\n";
        return 1;
    }
    for (xcb_window_t window : running)
        SendStop(x, window);
    x.Flush();

    const auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    for (;;) {
        std::erase_if(running, [&](xcb_window_t window) { return !Exists(x, window); });
        if (running.empty())
            return 0;
        if (std::chrono::steady_clock::now() > deadline) {
            err << "walkers: the walkers on this display did not end\n";
            return 1;
        }
        std::this_thread::sleep_for(50ms);
    }
}

} // namespace x11_stop
