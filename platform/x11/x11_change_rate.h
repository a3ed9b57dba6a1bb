// How fast a window's properties change, in the server's own time. A
// window manager changes a property a few times a second; a client that
// rewrites one as fast as the server takes it sends hundreds of thousands
// of notices a second, faster than they can be read. Such a window (the
// root or the window in front) is not listened to (the server then sends
// nothing more about it), and its properties are asked about now and then
// instead. Listening again while the flood goes on means reading a burst
// of it once more, so listening waits until what is asked about has stayed
// the same for a while, and a flood heard again at once doubles the wait
// (up to half a minute); a quiet spell of listening sets it back.
#pragma once

#include <X11/X.h>
#include <algorithm>
#include <cstdint>

class X11ChangeRate {
public:
    static constexpr Time kPeriodMs = 100;
    static constexpr int kMostChangesPerPeriod = 500;
    static constexpr int64_t kDeafNs = 1'000'000'000;
    static constexpr int64_t kLongestDeafNs = 32 * kDeafNs;

    // Counts a change stamped `time_ms`; true when it is one too many.
    bool Count(Time time_ms)
    {
        // Server time wraps round after 49 days: compare differences.
        if (uint32_t(time_ms - period_start_ms_) >= kPeriodMs) {
            period_start_ms_ = time_ms;
            changes_ = 0;
        }
        return !deaf_ && ++changes_ > kMostChangesPerPeriod;
    }

    bool Deaf() const { return deaf_; }
    // When a flood is heard, and when a property asked about is seen to
    // have changed meanwhile: listening waits a while after that.
    void StopListening(int64_t now_ns)
    {
        if (!deaf_)
            deaf_span_ns_ = now_ns - listening_since_ns_ < kDeafNs
                                ? std::min(2 * deaf_span_ns_, kLongestDeafNs)
                                : kDeafNs;
        deaf_ = true;
        deaf_until_ns_ = now_ns + deaf_span_ns_;
    }
    // True once, when it is time to listen again.
    bool ListenAgainDue(int64_t now_ns)
    {
        if (!deaf_ || now_ns < deaf_until_ns_)
            return false;
        deaf_ = false;
        changes_ = 0;
        listening_since_ns_ = now_ns;
        ++listened_again_;
        return true;
    }
    // How often listening started again (for measuring).
    uint64_t ListenedAgain() const { return listened_again_; }

private:
    Time period_start_ms_ = 0;
    int changes_ = 0;
    bool deaf_ = false;
    int64_t deaf_until_ns_ = 0;
    int64_t deaf_span_ns_ = kDeafNs;
    int64_t listening_since_ns_ = -kDeafNs; // long before any flood
    uint64_t listened_again_ = 0;
};
