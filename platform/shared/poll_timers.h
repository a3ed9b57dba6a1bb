// The toolkit's timers on the monotonic clock. Each running timer has its
// next due time; the event loop sleeps until the earliest and fires what is
// due. Starting a running timer starts a fresh interval.
#pragma once

#include <cstdint>
#include <vector>

class Timer;

class PollTimers {
public:
    void Start(Timer& timer, int interval_ms, int64_t now_ns);
    void Stop(Timer& timer);

    // Milliseconds until the earliest due time (rounded up, 0 when one is
    // due), or -1 when no timer runs.
    int MillisecondsUntilDue(int64_t now_ns) const;
    // Fires every timer due at `now_ns`, each at most once; a late timer's
    // next interval starts now rather than piling up missed ticks. `fire`
    // runs the timer's event; timers may start and stop meanwhile.
    template <class Fire>
    void FireDue(int64_t now_ns, Fire fire);
    std::size_t Running() const { return entries_.size(); }

private:
    struct Entry {
        Timer* timer;
        int64_t interval_ns;
        int64_t due_ns;
        uint64_t start; // tells a restarted timer from the one that was due
    };
    std::vector<Entry> entries_;
    uint64_t starts_ = 0;
};

template <class Fire>
void PollTimers::FireDue(int64_t now_ns, Fire fire)
{
    // The due ones first, then fire them one by one, checking each is
    // still the same run of the timer.
    struct Due {
        Timer* timer;
        uint64_t start;
    };
    std::vector<Due> due;
    for (const Entry& entry : entries_)
        if (entry.due_ns <= now_ns)
            due.push_back(Due{entry.timer, entry.start});
    for (const Due& d : due) {
        Entry* entry = nullptr;
        for (Entry& e : entries_)
            if (e.timer == d.timer && e.start == d.start)
                entry = &e;
        if (!entry)
            continue;
        entry->due_ns += entry->interval_ns;
        if (entry->due_ns <= now_ns)
            entry->due_ns = now_ns + entry->interval_ns;
        fire(*d.timer);
    }
}
