#include "platform/x11/x11_stats.h"

#include <cstdio>
#include <ctime>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>

#include "platform/shared/memory_figures.h"
#include "platform/shared/monotonic_clock.h"

namespace {

// The thread's time on a processor and its time waiting for one, in ns, as
// the scheduler keeps them.
void ReadSchedule(int64_t& running_ns, int64_t& runnable_ns)
{
    std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r");
    if (!file)
        return;
    long long running = 0, runnable = 0;
    if (std::fscanf(file, "%lld %lld", &running, &runnable) == 2) {
        running_ns = running;
        runnable_ns = runnable;
    }
    std::fclose(file);
}

} // namespace

void X11Stats::StartFlush(int socket)
{
    flush_start_ns_ = MonotonicNanoseconds();
    if (!scheduling_)
        return;
    pollfd descriptor{socket, POLLOUT, 0};
    if (poll(&descriptor, 1, 0) == 0)
        ++now_.flushes_unwritable;
    int unsent = 0;
    if (ioctl(socket, SIOCOUTQ, &unsent) == 0 && unsent > now_.most_unsent)
        now_.most_unsent = unsent;
    int64_t running_ns = 0;
    ReadSchedule(running_ns, flush_start_runnable_ns_);
}

void X11Stats::EndFlush()
{
    now_.flushing_ns += MonotonicNanoseconds() - flush_start_ns_;
    if (!scheduling_)
        return;
    int64_t running_ns = 0, runnable_ns = flush_start_runnable_ns_;
    ReadSchedule(running_ns, runnable_ns);
    now_.flush_runnable_ns += runnable_ns - flush_start_runnable_ns_;
}

void X11Stats::NoteTimer(int64_t now_ns, int64_t round_trip_ns)
{
    now_.round_trip_ns = round_trip_ns;
    if (scheduling_)
        ReadSchedule(now_.running_ns, now_.runnable_ns);
    if (last_.wall_ns != 0) {
        const X11TickSpan span{now_ns - last_.wall_ns,
                               now_.waiting_ns - last_.waiting_ns,
                               now_.round_trip_ns - last_.round_trip_ns,
                               now_.flushing_ns - last_.flushing_ns,
                               now_.flush_runnable_ns - last_.flush_runnable_ns,
                               now_.flushes_unwritable - last_.flushes_unwritable,
                               now_.most_unsent,
                               now_.running_ns - last_.running_ns,
                               now_.runnable_ns - last_.runnable_ns};
        if (span.wall_ns > longest_.wall_ns)
            longest_ = span;
    }
    last_ = now_;
    last_.wall_ns = now_ns;
    now_.most_unsent = 0; // the most since this tick
}

X11TickSpan X11Stats::TakeLongest()
{
    const X11TickSpan longest = longest_;
    longest_ = X11TickSpan{};
    return longest;
}

void X11Stats::Print(const X11Counts& counts)
{
    const X11TickSpan gap = TakeLongest();
    const MemoryFigures memory = CurrentMemoryFigures();
    auto ms = [](int64_t ns) { return (long long)(ns / 1'000'000); };
    auto kb = [](uint64_t bytes) { return (unsigned long long)(bytes / 1024); };
    auto n = [](uint64_t count) { return (unsigned long long)count; };
    std::fprintf(stderr,
                 "walkers stats: ticks %llu, x_events %llu, waits %llu, round_trips %llu, "
                 "requests %llu, pixel_puts %llu, pixels %llu, picture_copies %llu, "
                 "flushes_held %llu, socket_looks %llu, "
                 "resident_kb %llu, live_heap_kb %llu, heap_kb %llu, "
                 "longest_tick_gap_ms %lld (waiting %lld, round_trips %lld, flushing %lld "
                 "[runnable %lld, socket unwritable %lld times, unread %lld kB], "
                 "running %lld, runnable %lld)\n",
                 n(timer_events), n(x_events), n(waits), n(counts.questions), n(counts.requests),
                 n(counts.pixel_puts), n(counts.pixels), n(counts.picture_copies),
                 n(flushes_held), n(counts.socket_looks), kb(memory.resident_bytes),
                 kb(memory.live_bytes), kb(memory.heap_bytes), ms(gap.wall_ns),
                 ms(gap.waiting_ns), ms(gap.round_trip_ns), ms(gap.flushing_ns),
                 ms(gap.flush_runnable_ns), (long long)gap.flushes_unwritable,
                 (long long)(gap.most_unsent / 1024), ms(gap.running_ns), ms(gap.runnable_ns));
    std::fflush(stderr);
}
