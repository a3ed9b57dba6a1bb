#include "platform/x11/x11_reply.h"

#include <X11/Xlib-xcb.h>
#include <cstdlib>
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h> // taking a reply without waiting

#include "platform/x11/x11_connection.h"

void X11Reply::Sent(X11Connection& x, unsigned int sequence)
{
    Forget();
    x_ = &x;
    xcb_flush(XGetXCBConnection(x.queries()));
    x.CountAsked();
    sequence_ = sequence;
    pending_ = true;
}

bool X11Reply::Take()
{
    if (!pending_)
        return answered_;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!xcb_poll_for_reply(XGetXCBConnection(x_->queries()), sequence_, &reply, &error))
        return false;
    x_->CountAnswered();
    std::free(error); // a window that is gone: no answer
    pending_ = false;
    answered_ = true;
    reply_ = reply;
    return true;
}

void X11Reply::Forget()
{
    if (pending_)
        xcb_discard_reply(XGetXCBConnection(x_->queries()), sequence_);
    pending_ = false;
    answered_ = false;
    std::free(reply_);
    reply_ = nullptr;
}

void AwaitReplies(X11Connection& x, int timeout_ms)
{
    const X11Connection::RoundTrip trip(x, false);
    pollfd descriptor{ConnectionNumber(x.queries()), POLLIN, 0};
    poll(&descriptor, 1, timeout_ms);
}
