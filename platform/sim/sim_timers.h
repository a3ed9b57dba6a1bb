// The simulated desktop's virtual clock and the timers it drives. Time moves
// only when the test advances it; nothing here reads a real clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Timer;

class SimTimers {
public:
    // Windows raises shorter intervals to its USER_TIMER_MINIMUM.
    static constexpr int kMinimumIntervalMs = 10;

    int64_t Now() const { return now_; }
    // The clock never runs backwards.
    void MoveTo(int64_t time);

    // Due at now + interval, then every interval. Starting a running timer
    // restarts its interval and its place among ties.
    void Start(Timer& timer, int interval_ms);
    void Stop(Timer& timer);
    bool IsRunning(const Timer& timer) const;
    std::size_t RunningCount() const { return entries_.size(); }

    // The timer due first at or before `limit` (ties go to the one started
    // first), with the clock moved to when it was due and its next interval
    // already booked, so that its handler may stop or restart it. Null when
    // none is due.
    Timer* TakeDue(int64_t limit);

private:
    struct Entry {
        Timer* timer;
        int64_t due;
        int interval;
        uint64_t start_order;
    };

    int64_t now_ = 0;
    uint64_t next_start_order_ = 0;
    std::vector<Entry> entries_; // a handful of timers: a scan is enough
};
