// The event loop: one poll on the display, the focus source's events, the
// watched sources and the timers' next due time; then dispatch, act on
// clicks and on a stop request, fire what is due.
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "platform/shared/end_signals.h"
#include "platform/shared/monotonic_clock.h"
#include "platform/shared/stop_request.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/timer.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_form_window.h"

void WaylandBackend::StartTimer(Timer& timer, int interval_ms)
{
    timers_.Start(timer, interval_ms, MonotonicNanoseconds());
}

void WaylandBackend::StopTimer(Timer& timer) { timers_.Stop(timer); }

void WaylandBackend::Dispatch(int timeout_ms)
{
    wl_display* display = connection_.display();
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            LostCompositor();
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        LostCompositor();
    }
    // The display, the focus source's events, then the watched sources; a
    // source's own timeout (a call's deadline, a backlog) shortens the wait.
    constexpr size_t kFirstWatched = 2;
    std::vector<pollfd>& descriptors = poll_set_;
    descriptors.assign({{wl_display_get_fd(display), POLLIN, 0},
                        {focus_->EventDescriptor(), POLLIN, 0}});
    for (LoopSource* source : watched_) {
        descriptors.push_back({source->Descriptor(), source->Events(), 0});
        const int due = source->TimeoutMs();
        if (due >= 0 && (timeout_ms < 0 || due < timeout_ms))
            timeout_ms = due;
    }
    const int ready = poll(descriptors.data(), descriptors.size(), timeout_ms);
    if (ready > 0 && descriptors[0].revents) {
        if (wl_display_read_events(display) < 0)
            LostCompositor();
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0)
        LostCompositor();
    if (ready > 0 && descriptors[1].fd >= 0 && descriptors[1].revents)
        focus_->ReadEvents();
    ProcessWatched(descriptors.data() + kFirstWatched, ready == 0 ? timeout_ms : 0);
    focused_ = focus_->Focused();
}

// A source takes its turn when its descriptor is ready or its timeout ran
// out during the wait; one with nothing for it is left alone, so a steady
// tick costs it no system call.
void WaylandBackend::ProcessWatched(const pollfd* descriptors, int waited_ms)
{
    for (size_t i = 0; i < watched_.size(); ++i) {
        LoopSource& source = *watched_[i];
        const int due = source.TimeoutMs();
        if (descriptors[i].revents == 0 && (due < 0 || due > waited_ms))
            continue;
        if (!source.Process()) {
            // As when the compositor goes: say why and end at once.
            std::fprintf(stderr, "walkers: %s\n", source.LostMessage());
            _exit(1);
        }
    }
}

// A click released on a figure. The handler may unload the form and so
// destroy its window: each click looks the window up afresh.
void WaylandBackend::ActOnClicks()
{
    std::vector<HWND> clicked;
    clicked.swap(clicked_);
    for (HWND handle : clicked) {
        WaylandFormWindow* window = FindForm(handle);
        if (!window)
            continue;
        toolkit::DeliverClick(window->Owner());
        if (!AnyFormLoaded())
            return;
    }
}

// Each tick asks the compositor once for a fresh look at the focused
// window, however many questions the tick asks us, and waits for nothing:
// the answer arrives in a later poll, for the ticks after this one.
void WaylandBackend::FireDueTimers()
{
    timers_.FireDue(MonotonicNanoseconds(), [this](Timer& timer) {
        ++ticks_;
        focus_->Refresh();
        toolkit::DeliverTimer(timer);
    });
}

void WaylandBackend::ProcessPendingEvents()
{
    Dispatch(0);
    ActOnClicks();
    stop_request::Answer();
    if (!AnyFormLoaded())
        return;
    FireDueTimers();
}

void WaylandBackend::RunLoop()
{
    while (AnyFormLoaded()) {
        ProcessPendingEvents();
        if (!AnyFormLoaded())
            break;
        Dispatch(timers_.MillisecondsUntilDue(MonotonicNanoseconds()));
        if (end_signals::EndRequested())
            End();
        if (end_signals::TakeReportRequest())
            ReportStats();
    }
    wl_display_flush(connection_.display());
}
