#include "platform/shared/poll_timers.h"

#include <algorithm>

void PollTimers::Start(Timer& timer, int interval_ms, int64_t now_ns)
{
    Stop(timer);
    const int64_t interval = int64_t(std::max(interval_ms, 1)) * 1'000'000;
    entries_.push_back(Entry{&timer, interval, now_ns + interval, ++starts_});
}

void PollTimers::Stop(Timer& timer)
{
    std::erase_if(entries_, [&](const Entry& entry) { return entry.timer == &timer; });
}

int PollTimers::MillisecondsUntilDue(int64_t now_ns) const
{
    if (entries_.empty())
        return -1;
    int64_t earliest = entries_.front().due_ns;
    for (const Entry& entry : entries_)
        earliest = std::min(earliest, entry.due_ns);
    const int64_t wait = earliest - now_ns;
    if (wait <= 0)
        return 0;
    return int((wait + 999'999) / 1'000'000);
}
