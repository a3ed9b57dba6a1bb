// Whether what the program sends the X server can be written without
// waiting. A server that does not read us (another client holds a server
// grab, or keeps the server busy) leaves our requests in the socket's
// buffer, and once enough of them wait there a write waits until the
// server reads again: the loop must never wait there, or the ticks stop
// with it.
//
// xcb, before each write, waits until the kernel calls the socket
// writable: until at most a quarter of its buffer holds bytes the server
// has not read. The kernel tells how many there are; looking costs a
// system call, so the socket is looked at only when what was queued since
// the last look could have used up the room it found: with a server that
// keeps up, a steady tick of a few kilobytes looks about once in ten ticks.
// The drawing tells the gate what it queues; everything else a turn sends
// is a few small requests, which the allowance of every write covers.
//
// Once there is no room the server is behind: the windows hold their
// drawing back, and the loop waits for the socket to become writable to
// send the latest.
#pragma once

#include <cstdint>

class X11WriteGate {
public:
    // Watches the connection's socket.
    void Attach(int socket);

    // `bytes` of requests were queued.
    void Queued(int64_t bytes) { queued_ += bytes; }
    // Whether what is queued can be flushed now without waiting.
    bool MayFlush();
    // What was queued has been written.
    void Flushed()
    {
        room_ -= Cost(queued_);
        queued_ = 0;
    }
    // Whether the server is behind: drawing waits until it catches up.
    bool Behind() const { return behind_; }
    // The socket became writable: the server caught up (true) or not yet.
    bool CaughtUp();
    // Socket looks so far.
    uint64_t Looks() const { return looks_; }

private:
    void Look();
    // What a flush of `bytes` may take of the socket's buffer: the kernel
    // counts each write's whole allocation, up to twice what it holds.
    static int64_t Cost(int64_t bytes) { return 2 * bytes + 1024; }

    int socket_ = -1;
    int64_t buffer_size_ = 64 * 1024;
    int64_t queued_ = 0;  // since the last flush
    int64_t room_ = 0;    // that can still be sent without a look
    bool behind_ = false;
    uint64_t looks_ = 0;
};
