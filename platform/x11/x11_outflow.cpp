#include "platform/x11/x11_outflow.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <utility>
#include <vector>
#include <X11/Xlib-xcb.h>

// Last: it defines min and max as macros.
#include <X11/Xlibint.h> // the output buffer, and the hook on what is sent

namespace {

// Xlib's hook has no place for our object: found by its display.
std::vector<std::pair<Display*, X11Outflow*>>& Watched()
{
    static std::vector<std::pair<Display*, X11Outflow*>> watched;
    return watched;
}

void BeforeFlush(Display* display, XExtCodes*, const char*, long length)
{
    for (const auto& [watched, outflow] : Watched())
        if (watched == display)
            outflow->Sending(length);
}

} // namespace

X11Outflow::X11Outflow(Display* display)
    : display_(display), socket_(ConnectionNumber(display))
{
    int size = 0;
    socklen_t length = sizeof size;
    if (getsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &size, &length) != 0 || size <= 0)
        size = 64 * 1024; // a guess below any Unix socket's
    buffer_size_ = size;
    Watched().emplace_back(display_, this);
    // The hook stays with the display, finding nothing once we are gone.
    if (XExtCodes* codes = XAddExtension(display_))
        XESetBeforeFlush(display_, codes->extension, BeforeFlush);
}

X11Outflow::~X11Outflow()
{
    std::erase_if(Watched(), [this](const auto& entry) { return entry.second == this; });
}

void X11Outflow::Sending(long length)
{
    room_ -= Cost(length);
    if (!sending_without_notes_)
        ++noted_sends_;
}

// Xlib notes nothing it sends while it holds the events itself: it is let
// hold them for the moment of the write (it reads nothing meanwhile).
void X11Outflow::Send()
{
    if (keep_notes_) {
        XFlush(display_);
        return;
    }
    sending_without_notes_ = true;
    XSetEventQueueOwner(display_, XlibOwnsEventQueue);
    LockDisplay(display_);
    _XSend(display_, nullptr, 0);
    UnlockDisplay(display_);
    XSetEventQueueOwner(display_, XCBOwnsEventQueue);
    sending_without_notes_ = false;
}

bool X11Outflow::MayFlush()
{
    const int64_t held = display_->bufptr - display_->buffer;
    if (behind_ || Cost(held) > room_)
        Look();
    // A writable socket takes far more than Xlib's buffer holds before a
    // write would wait.
    return !behind_;
}

bool X11Outflow::CaughtUp()
{
    Look();
    return !behind_;
}

// The connection's library waits, before every write, until the kernel
// calls the socket writable: while at most a quarter of its buffer is
// unread. Room is what may be sent until then.
void X11Outflow::Look()
{
    ++looks_;
    int unread = 0;
    if (ioctl(socket_, SIOCOUTQ, &unread) != 0)
        unread = 0; // not a socket the kernel can tell of: trust it
    // The kernel's own test, with the byte it counts for the socket itself.
    room_ = buffer_size_ / 4 - (int64_t(unread) + 1);
    behind_ = room_ < 0;
}
