// Something besides the display that an event loop waits on: the session
// bus, a compositor's IPC. The loop polls each source's descriptor beside
// the display's, wakes at the latest when a source's timeout runs out, and
// then lets the source take what arrived without waiting.
#pragma once

#include <poll.h>

class LoopSource {
public:
    virtual ~LoopSource() = default;

    // The descriptor to wait on, or -1 when there is nothing to wait on now.
    virtual int Descriptor() const = 0;
    // What to wait for on it: POLLIN, and POLLOUT while writes are queued.
    virtual short Events() const { return POLLIN; }
    // Milliseconds after which Process must run even with nothing to read,
    // or -1 for never.
    virtual int TimeoutMs() const { return -1; }
    // Takes what arrived, without waiting. False when the source is gone for
    // good; the loop then ends the program with the source's one line.
    virtual bool Process() = 0;
    // That one line, without the program's name.
    virtual const char* LostMessage() const = 0;
};
