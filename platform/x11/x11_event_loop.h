// The event loop's reading and waiting: one poll on the main connection,
// on the question connection while answers are awaited, on the focus
// source's own descriptor and on the sources watched beside them (the
// session bus), with a timeout from the next timer. What is read passes
// the observer at once; the events someone acts on later (a click, a close,
// what the message box waits for) are kept, everything else is done with.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <poll.h>
#include <vector>

#include "platform/shared/loop_source.h"
#include "platform/shared/poll_timers.h"
#include "platform/x11/x11_event.h"
#include "platform/x11/x11_event_source.h"

class FocusSource;
class X11Connection;
class X11Questions;
class X11Stats;

class X11EventLoop {
public:
    // Takes note of every event as it is read, wherever that is.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void Observe(const X11Event& event) = 0;
    };

    // `answers_awaited` tells when an answer on the question connection
    // should wake the loop: one the next tick needs (a window newly in
    // front), not a property read again under a flood, which waits for the
    // tick.
    X11EventLoop(X11Connection& x, X11Questions& questions, FocusSource& focus,
                 Observer& observer, X11Stats& stats, std::function<bool()> answers_awaited);

    PollTimers& Timers() { return timers_; }
    // Polls `source` beside the display from now on; it must outlive the
    // loop.
    void Watch(LoopSource& source) { watched_.push_back(&source); }

    // Reads what the server has sent without waiting (at most a few dozen
    // kilobytes) and observes it; events to act on are kept.
    void Drain() { Collect(true); }
    // Reads if the last wait found the socket readable, or (called outside
    // the loop, as DoEvents) if a while has passed since the last read.
    void ReadAfterWait();
    // Whether what was read is older than the read interval.
    bool ReadIsDue() const;
    // When the socket was last read (or found empty by a wait).
    int64_t LastReadNs() const { return last_read_ns_; }
    // Turns in which the focus source or a watched source took something.
    uint64_t SourceTurns() const { return source_turns_; }

    bool TakeEvent(X11Event& event);
    // Gives back events taken but not acted on, ahead of the rest.
    void GiveBack(const std::vector<X11Event>& events);
    std::size_t KeptEvents() const { return kept_.size(); }

    // Sends the turn's requests, unless the server is behind on reading
    // them, then waits (at most `timeout_ms`, -1 for ever) until the server
    // sends something, the server catches up, a source is ready or a timer
    // is due; and lets the sources take their turn.
    void Wait(int timeout_ms);

    // How long what was read is enough: the probe does not read again
    // sooner, nor does the loop wait on a socket that had something.
    static constexpr int64_t kReadInterval = 1'000'000;

private:
    void Collect(bool read_socket);
    bool WorthKeeping(const X11Event& event) const;
    void Flush();
    void PollSourcesNow();
    void ProcessSources(int waited_ms);

    X11Connection& x_;
    X11Questions& questions_;
    FocusSource& focus_;
    Observer& observer_;
    X11Stats& stats_;
    std::function<bool()> answers_awaited_;
    X11EventSource events_;
    PollTimers timers_;
    std::vector<LoopSource*> watched_;
    std::vector<pollfd> poll_set_;
    std::deque<X11Event> kept_;
    uint64_t source_turns_ = 0;
    int64_t last_read_ns_ = 0;
    bool just_waited_ = false;         // the loop's wait came right before
    bool socket_readable_ = false;     // and found something to read
    bool read_found_events_ = false;   // the last turn's reads of the socket did
    bool read_emptied_socket_ = false; // and its last read found it empty
};
