// A small MIT-SHM segment shared with the server, so that pixels reach it
// without passing through the socket. Marked for removal as soon as both
// sides are attached, so it goes away with the program however it ends.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <cstddef>
#include <cstdint>

class X11Connection;

class X11ShmSegment {
public:
    // Not Valid() when the server has no MIT-SHM or cannot attach (a remote
    // display, a refused segment): the caller then sends pixels in requests.
    X11ShmSegment(X11Connection& x, std::size_t bytes);
    ~X11ShmSegment();
    X11ShmSegment(const X11ShmSegment&) = delete;
    X11ShmSegment& operator=(const X11ShmSegment&) = delete;

    bool Valid() const { return attached_; }
    XShmSegmentInfo& Info() { return info_; }
    uint8_t* Data() const { return reinterpret_cast<uint8_t*>(info_.shmaddr); }
    std::size_t Size() const { return size_; }

private:
    Display* display_;
    XShmSegmentInfo info_{};
    std::size_t size_;
    bool attached_ = false;
};
