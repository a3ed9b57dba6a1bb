#include "platform/x11/x11_stop.h"

#include <X11/Xatom.h>
#include <chrono>
#include <ostream>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_property_data.h"

namespace x11_stop {

namespace {

using namespace std::chrono_literals;

// Window managers put a client's window one or two levels under the root
// (a frame, sometimes a frame within a frame); look no deeper.
constexpr int kSearchDepth = 3;
constexpr auto kEndTimeout = 10s;

bool OwnedByThisUser(X11Connection& x, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Status read = 0;
    {
        const X11Connection::RoundTrip trip(x);
        read = XGetWindowProperty(x.queries(), window, x.atoms().walkers_user, 0, 1, False,
                                  XA_CARDINAL, &type, &format, &count, &after, &data);
    }
    std::vector<uint32_t> user;
    const bool mine = read == Success &&
                      x11_properties::ParseItems32({type, format, count, data}, XA_CARDINAL, 1,
                                                   user) &&
                      user.size() == 1 && user[0] == getuid();
    if (data)
        XFree(data);
    return mine;
}

// The marked windows at or below `window`; a window that goes meanwhile
// simply has no children.
void FindMarked(X11Connection& x, Window window, int depth, std::vector<Window>& found)
{
    if (OwnedByThisUser(x, window)) {
        found.push_back(window);
        return;
    }
    if (depth == 0)
        return;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    Status listed = 0;
    {
        const X11Connection::RoundTrip trip(x);
        listed = XQueryTree(x.display(), window, &root, &parent, &children, &count);
    }
    if (!listed)
        return;
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    for (Window child : list)
        FindMarked(x, child, depth - 1, found);
}

bool Exists(X11Connection& x, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(x.display(), window, &attributes) != 0;
}

void SendStop(X11Connection& x, Window window)
{
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = x.atoms().walkers_stop;
    message.xclient.format = 32;
    // No event mask: the event goes to the client that made the window.
    XSendEvent(x.display(), window, False, NoEventMask, &message);
}

} // namespace

void MarkStoppable(X11Connection& x, Window window)
{
    const long user = long(getuid());
    XChangeProperty(x.display(), window, x.atoms().walkers_user, XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&user), 1);
}

int StopRunningWalkers(X11Connection& x, std::ostream& err)
{
    std::vector<Window> running;
    FindMarked(x, x.root(), kSearchDepth, running);
    if (running.empty()) {
        err << "walkers: no walkers of yours are running on this display\n";
        return 1;
    }
    for (Window window : running)
        SendStop(x, window);
    XFlush(x.display());

    const auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    for (;;) {
        std::erase_if(running, [&](Window window) { return !Exists(x, window); });
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
