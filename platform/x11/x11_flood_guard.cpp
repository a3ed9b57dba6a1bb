#include "platform/x11/x11_flood_guard.h"

#include <algorithm>

bool X11ChangeRate::Count(xcb_timestamp_t time_ms)
{
    // Server time wraps round after 49 days: compare differences.
    if (uint32_t(time_ms - period_start_ms_) >= kPeriodMs) {
        period_start_ms_ = time_ms;
        changes_ = 0;
    }
    return !deaf_ && ++changes_ > kMostChangesPerPeriod;
}

void X11ChangeRate::StopListening(int64_t now_ns)
{
    if (!deaf_)
        deaf_span_ns_ = now_ns - listening_since_ns_ < kDeafNs
                            ? std::min(2 * deaf_span_ns_, kLongestDeafNs)
                            : kDeafNs;
    deaf_ = true;
    deaf_until_ns_ = now_ns + deaf_span_ns_;
}

bool X11ChangeRate::ListenAgainDue(int64_t now_ns)
{
    if (!deaf_ || now_ns < deaf_until_ns_)
        return false;
    deaf_ = false;
    changes_ = 0;
    listening_since_ns_ = now_ns;
    ++listened_again_;
    return true;
}

bool X11Reread::Due(bool stale, int64_t now_ns, bool deaf, int64_t interval_ns)
{
    if (!stale && !deaf)
        return false;
    if (now_ns - read_ns_ < (deaf ? std::max(interval_ns, kDeafIntervalNs) : interval_ns))
        return false;
    read_ns_ = now_ns;
    return true;
}
