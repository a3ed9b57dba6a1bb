// What the backend counts, for measuring (WALKERS_X11_STATS prints it on
// SIGUSR1 and at the end, one line for tools/measure-x11-cpu.sh), and
// where the time of the longest gap between two ticks went: waiting in
// poll, waiting for replies, writing to the server, running, or ready to
// run while another process had the processor. On a loaded machine that
// tells a gap the program caused from one it suffered.
#pragma once

#include <cstdint>

struct X11TickSpan {
    int64_t wall_ns = 0;
    int64_t waiting_ns = 0;     // in poll, for the server or a timer
    int64_t round_trip_ns = 0;  // waiting for the probe's replies
    int64_t flushing_ns = 0;    // writing requests out
    int64_t flush_runnable_ns = 0; // of that, ready but not on a processor
    int64_t flushes_unwritable = 0; // flushes that found the server behind
    int64_t most_unsent = 0;    // bytes the server had not read, at a flush
    int64_t running_ns = 0;     // on a processor
    int64_t runnable_ns = 0;    // ready, but not on a processor
};

// The counts other parts keep, gathered for the line.
struct X11Counts {
    uint64_t questions = 0;      // asked with a reply to come
    int64_t question_wait_ns = 0; // waiting for replies (only at the start)
    uint64_t requests = 0;
    uint64_t pixel_puts = 0;
    uint64_t pixels = 0;
    uint64_t picture_copies = 0;
    uint64_t socket_looks = 0;
};

class X11Stats {
public:
    uint64_t timer_events = 0;
    uint64_t x_events = 0;
    uint64_t waits = 0;
    uint64_t flushes_held = 0; // turns whose requests waited for the server to read

    // Whether running and runnable time are read at each tick (a file
    // read from /proc: not while measuring the program's CPU).
    void MeasureScheduling(bool on) { scheduling_ = on; }
    void AddWaiting(int64_t ns) { now_.waiting_ns += ns; }
    // Around a flush of the connection `socket`: its time, and when
    // measuring scheduling, whether the server was behind on reading (the
    // socket full, bytes unread) or the program waited for a processor.
    void StartFlush(int socket);
    void EndFlush();

    // A timer fired at `now_ns`; `round_trip_ns` is the connection's total.
    void NoteTimer(int64_t now_ns, int64_t round_trip_ns);
    // The longest gap since the last call, and where its time went.
    X11TickSpan TakeLongest();
    // Prints the line: the counters since the start, the memory, and the
    // longest gap between ticks since the last line with where its time
    // went.
    void Print(const X11Counts& counts);

private:
    bool scheduling_ = false;
    X11TickSpan now_;  // totals so far (wall_ns: the last tick's time)
    X11TickSpan last_; // the totals at the last tick
    X11TickSpan longest_;
    int64_t flush_start_ns_ = 0;
    int64_t flush_start_runnable_ns_ = 0;
};
