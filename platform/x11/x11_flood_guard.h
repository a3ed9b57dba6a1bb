// The guard against another client that changes a property as fast as the
// server lets it: how fast a window's properties change, when to stop
// listening to it and when to listen again, and how often what changed is
// read again.
//
// How fast is counted in the server's own time. A window manager changes a
// property a few times a second; a client that rewrites one as fast as the
// server takes it sends hundreds of thousands of notices a second, faster
// than they can be read. Such a window (the root or the window in front) is
// not listened to (the server then sends nothing more about it), and its
// properties are asked about now and then instead. Listening again while
// the flood goes on means reading a burst of it once more, so listening
// waits until what is asked about has stayed the same for a while, and a
// flood heard again at once doubles the wait (up to half a minute); a quiet
// spell of listening sets it back.
//
// What an event marks stale is read again at most once per interval, so a
// flood of changes costs a few round trips a tick, not one per question.
#pragma once

#include <cstdint>
#include <limits>
#include <xcb/xproto.h>

class X11ChangeRate {
public:
    static constexpr xcb_timestamp_t kPeriodMs = 100;
    static constexpr int kMostChangesPerPeriod = 500;
    static constexpr int64_t kDeafNs = 1'000'000'000;
    static constexpr int64_t kLongestDeafNs = 32 * kDeafNs;

    // Counts a change stamped `time_ms`; true when it is one too many.
    bool Count(xcb_timestamp_t time_ms);

    bool Deaf() const { return deaf_; }
    // When a flood is heard, and when a property asked about is seen to
    // have changed meanwhile: listening waits a while after that.
    void StopListening(int64_t now_ns);
    // True once, when it is time to listen again.
    bool ListenAgainDue(int64_t now_ns);
    // How often listening started again (for measuring).
    uint64_t ListenedAgain() const { return listened_again_; }

private:
    xcb_timestamp_t period_start_ms_ = 0;
    int changes_ = 0;
    bool deaf_ = false;
    int64_t deaf_until_ns_ = 0;
    int64_t deaf_span_ns_ = kDeafNs;
    int64_t listening_since_ns_ = -kDeafNs; // long before any flood
    uint64_t listened_again_ = 0;
};

// When one thing that events mark stale (a window's title, its frame
// extents, its place; the window in front; the window manager) may be read
// again.
class X11Reread {
public:
    // A property that keeps changing is read again at most this often, and
    // less often while its window is not listened to (a question then may
    // wait behind what the server sent before it stopped).
    static constexpr int64_t kIntervalNs = 10'000'000;
    static constexpr int64_t kDeafIntervalNs = 100'000'000;

    // Whether it may be read again at `now_ns`; if so, notes the read.
    // While its window is not listened to (`deaf`), it is always stale, and
    // read again at the slower pace.
    bool Due(bool stale, int64_t now_ns, bool deaf = false, int64_t interval_ns = kIntervalNs);
    // Due at once the next time it is stale.
    void Forget() { read_ns_ = kNeverRead; }

private:
    // Long enough ago that it is due.
    static constexpr int64_t kNeverRead = std::numeric_limits<int64_t>::min() / 2;
    int64_t read_ns_ = kNeverRead;
};
