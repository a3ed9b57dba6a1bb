#include "platform/x11/x11_write_gate.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

void X11WriteGate::Attach(int socket)
{
    socket_ = socket;
    int size = 0;
    socklen_t length = sizeof size;
    if (getsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &size, &length) == 0 && size > 0)
        buffer_size_ = size; // else a guess below any Unix socket's
}

bool X11WriteGate::MayFlush()
{
    if (behind_ || Cost(queued_) > room_)
        Look();
    // A writable socket takes far more than a turn queues before a write
    // would wait.
    return !behind_;
}

bool X11WriteGate::CaughtUp()
{
    Look();
    return !behind_;
}

// xcb waits, before every write, until the kernel calls the socket
// writable: while at most a quarter of its buffer is unread. Room is what
// may be sent until then.
void X11WriteGate::Look()
{
    ++looks_;
    int unread = 0;
    if (ioctl(socket_, SIOCOUTQ, &unread) != 0)
        unread = 0; // not a socket the kernel can tell of: trust it
    // The kernel's own test, with the byte it counts for the socket itself.
    room_ = buffer_size_ / 4 - (int64_t(unread) + 1);
    behind_ = room_ < 0;
}
