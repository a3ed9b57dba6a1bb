#include "platform/sim/sim_timers.h"

#include <algorithm>

void SimTimers::MoveTo(int64_t time)
{
    now_ = std::max(now_, time);
}

void SimTimers::Start(Timer& timer, int interval_ms)
{
    Stop(timer);
    const int interval = std::max(interval_ms, kMinimumIntervalMs);
    entries_.push_back(Entry{&timer, now_ + interval, interval, next_start_order_++});
}

void SimTimers::Stop(Timer& timer)
{
    std::erase_if(entries_, [&timer](const Entry& entry) { return entry.timer == &timer; });
}

bool SimTimers::IsRunning(const Timer& timer) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&timer](const Entry& entry) { return entry.timer == &timer; });
}

Timer* SimTimers::TakeDue(int64_t limit)
{
    Entry* first = nullptr;
    for (Entry& entry : entries_) {
        if (entry.due > limit)
            continue;
        if (!first || entry.due < first->due ||
            (entry.due == first->due && entry.start_order < first->start_order))
            first = &entry;
    }
    if (!first)
        return nullptr;
    MoveTo(first->due);
    first->due += first->interval;
    return first->timer;
}
