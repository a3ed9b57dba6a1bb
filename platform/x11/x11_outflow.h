// Whether what the program sends the X server can be written without
// waiting. A server that does not read us (another client holds a server
// grab, or keeps the server busy) leaves our requests in the socket's
// buffer, and once enough of them wait there a write waits until the
// server reads again: the loop must never wait there, or the ticks stop
// with it.
//
// The connection's library, before each write, waits until the kernel
// calls the socket writable: until at most a quarter of its buffer holds
// bytes the server has not read. The kernel tells how many there are;
// looking costs a system call, so the socket is looked at only when what
// was sent since the last look could have used up the room it found
// (Xlib shows every byte it hands on): with a server that keeps up, a
// steady tick of a few kilobytes looks about once in ten ticks.
//
// Once there is no room the server is behind: the windows hold their
// drawing back, and the loop waits for the socket to become writable to
// send the latest.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>

class X11Outflow {
public:
    // Watches what Xlib sends on `display` (until destroyed).
    explicit X11Outflow(Display* display);
    ~X11Outflow();
    X11Outflow(const X11Outflow&) = delete;
    X11Outflow& operator=(const X11Outflow&) = delete;

    // Whether what Xlib holds can be flushed now without waiting.
    bool MayFlush();
    // Whether the server is behind: drawing waits until it catches up.
    bool Behind() const { return behind_; }
    // The socket became writable: the server caught up (true) or not yet.
    bool CaughtUp();
    // Socket looks so far.
    uint64_t Looks() const { return looks_; }

    // Sends what Xlib holds, and keeps no note of it. Xlib notes every
    // request it sends while the program holds the events (a small
    // allocation each), and frees the notes only as it reads, where a
    // flood makes it read, and keep, all the backlog. It takes them
    // only for errors set aside, and it asks for none to be set aside
    // while it keeps the socket it took at the start: errors come as
    // events. Only while the event reader holds the events.
    void Send();
    // The connection's own library sends on it too (the queries share it):
    // Xlib gives the socket up and may take it again asking for errors to
    // be set aside, so every send keeps its notes.
    void KeepNotes() { keep_notes_ = true; }
    // How many of Xlib's writes so far left notes behind.
    uint64_t NotedSends() const { return noted_sends_; }

    // Xlib's hook: `length` bytes handed on to be written.
    void Sending(long length);

private:
    void Look();
    // What a flush of `bytes` may take of the socket's buffer: the kernel
    // counts each write's whole allocation, up to twice what it holds.
    static int64_t Cost(int64_t bytes) { return 2 * bytes + 1024; }

    Display* display_;
    int socket_;
    int64_t buffer_size_;
    int64_t room_ = 0;    // that can still be sent without a look
    bool behind_ = false;
    uint64_t looks_ = 0;
    bool keep_notes_ = false;
    bool sending_without_notes_ = false;
    uint64_t noted_sends_ = 0;
};
