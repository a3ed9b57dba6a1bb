// The event loop: one poll on the display, the focus source's events and
// the timers' next due time; then dispatch, act on clicks, fire what is due.
#include <cerrno>
#include <poll.h>

#include "platform/shared/end_signals.h"
#include "platform/shared/monotonic_clock.h"
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
    pollfd descriptors[2] = {{wl_display_get_fd(display), POLLIN, 0},
                             {focus_->EventDescriptor(), POLLIN, 0}};
    const nfds_t count = descriptors[1].fd >= 0 ? 2 : 1;
    const int ready = poll(descriptors, count, timeout_ms);
    if (ready > 0 && descriptors[0].revents) {
        if (wl_display_read_events(display) < 0)
            LostCompositor();
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0)
        LostCompositor();
    if (ready > 0 && count == 2 && descriptors[1].revents)
        focus_->ReadEvents();
    focused_ = focus_->Focused();
}

// A click released on a figure. The handler may unload the form and so
// destroy its window: each click looks the window up afresh.
void WaylandBackend::ActOnClicks()
{
    std::vector<WaylandClick> clicks;
    clicks.swap(connection_.Clicks());
    for (const WaylandClick& click : clicks) {
        Form* form = nullptr;
        for (const auto& [handle, window] : windows_)
            if (window->Clicked(click.surface, click.x, click.y))
                form = &window->Owner();
        if (!form)
            continue;
        toolkit::DeliverClick(*form);
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
