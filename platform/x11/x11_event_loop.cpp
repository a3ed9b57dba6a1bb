// The event loop: wait on the connection's descriptor, and on the sources
// watched beside it (the session bus), with a timeout from the next timer;
// when events are already at hand, do not wait; drain, then act, then fire
// what is due.
#include <X11/Xlib.h>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

#include "platform/shared/end_signals.h"
#include "platform/shared/monotonic_clock.h"
#include "platform/shared/stop_request.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/timer.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_window.h"

void X11Backend::StartTimer(Timer& timer, int interval_ms)
{
    timers_.Start(timer, interval_ms, MonotonicNanoseconds());
}

void X11Backend::StopTimer(Timer& timer) { timers_.Stop(timer); }

void X11Backend::Drain() { Collect(true); }

// Events someone acts on later: a click, a close request (or `walkers
// --stop`), and what the message box waits for. Everything else has been
// observed and is done with, so another client's flood of changes, or of
// messages of its own making, costs no memory.
bool X11Backend::WorthKeeping(const XEvent& event) const
{
    switch (event.type) {
    case ClientMessage:
        return event.xclient.message_type == x_.atoms().wm_protocols ||
               event.xclient.message_type == x_.atoms().walkers_stop;
    case ButtonRelease:
    case KeyPress:
    case Expose:
    case MapNotify:
    case DestroyNotify:
        return true;
    default:
        return false;
    }
}

namespace {

// Between two turns of the loop no person clicks this often; what another
// client sends beyond it is dropped.
constexpr std::size_t kMostKept = 1024;

} // namespace

// Moves what was read, after reading the socket if asked, through Observe
// to the events waiting to be acted on. One read takes a few kilobytes at
// most, and a turn of the loop reads until the socket is empty or it has
// read a few dozen kilobytes: what a flood sends beyond waits on the
// server, and the next turn takes its share.
void X11Backend::Collect(bool read_socket)
{
    constexpr int kReadsPerTurn = 16;
    int reads_left = read_socket ? kReadsPerTurn : 0;
    if (read_socket) {
        last_read_ns_ = MonotonicNanoseconds();
        socket_readable_ = false;
    }
    auto take = [this](const XEvent& event) {
        Observe(event);
        if (WorthKeeping(event) && deferred_.size() < kMostKept)
            deferred_.push_back(event);
    };
    const uint64_t events_before = stats_.x_events;
    XEvent event;
    while (events_.Next(event, reads_left))
        take(event);
    if (read_socket) {
        read_found_events_ = stats_.x_events != events_before;
        read_emptied_socket_ = events_.Emptied();
        if (read_found_events_)
            last_events_ns_ = last_read_ns_;
    }
    // Xlib, let read, reads until the socket is empty, and keeps all it
    // read: only when it has notes to collect and nothing came for a
    // while, never in the middle of a flood.
    constexpr int64_t kQuietBeforeSettling = 20'000'000;
    const uint64_t noted = x_.Outflow().NotedSends();
    if (noted != settled_sends_ && last_read_ns_ - last_events_ns_ >= kQuietBeforeSettling &&
        events_.Settle(take))
        settled_sends_ = noted;
}

bool X11Backend::ReadIsDue() const
{
    return MonotonicNanoseconds() - last_read_ns_ >= kReadInterval;
}

void X11Backend::Observe(const XEvent& event)
{
    ++stats_.x_events;
    foreground_.Observe(event);
    switch (event.type) {
    case VisibilityNotify:
        if (X11FormWindow* window = FindForm(event.xvisibility.window))
            window->ObserveVisibility(event.xvisibility);
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == x_.root())
            x_.RootResized(event.xconfigure.width, event.xconfigure.height);
        break;
    case UnmapNotify:
        if (X11FormWindow* window = FindForm(event.xunmap.window))
            window->ObserveUnmap(event.xunmap);
        break;
    default:
        break;
    }
}

bool X11Backend::TakeEvent(XEvent& event)
{
    if (deferred_.empty())
        return false;
    event = deferred_.front();
    deferred_.pop_front();
    return true;
}

void X11Backend::GiveBack(const std::vector<XEvent>& events)
{
    deferred_.insert(deferred_.begin(), events.begin(), events.end());
}

// What the program sees as events: a click released on a figure (or the
// request of `walkers --stop`), and the window manager's close button. The
// handler may unload the form and so destroy its window: the window is
// looked up by its id every time, and nothing touches it after the handler.
void X11Backend::Act(const XEvent& event)
{
    switch (event.type) {
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        X11FormWindow* window = FindForm(e.window);
        if (!window || e.button > Button3 || !window->Contains(e.x, e.y))
            break;
        toolkit::DeliverClick(window->Owner());
        break;
    }
    case ClientMessage: {
        const XClientMessageEvent& e = event.xclient;
        X11FormWindow* window = FindForm(e.window);
        if (window && e.message_type == x_.atoms().walkers_stop) {
            // `walkers --stop`: as if the user clicked a figure.
            toolkit::DeliverClick(window->Owner());
            break;
        }
        if (!window || e.message_type != x_.atoms().wm_protocols ||
            Atom(e.data.l[0]) != x_.atoms().wm_delete_window)
            break;
        toolkit::DeliverClose(window->Owner());
        break;
    }
    default:
        break;
    }
}

void X11Backend::FireDueTimers()
{
    timers_.FireDue(MonotonicNanoseconds(), [this](Timer& timer) {
        ++stats_.timer_events;
        stats_.NoteTimer(MonotonicNanoseconds(), x_.RoundTripNanoseconds());
        // A new window in front is taken now, or at the next tick.
        focus_->Refresh();
        foreground_.Hold(true);
        toolkit::DeliverTimer(timer);
        foreground_.Hold(false);
    });
}

// After a wait, the socket is read only if the wait found it readable: a
// read costs a system call, and after a wait that timed out there is
// nothing to read. Called as DoEvents, it reads if a while has passed.
// Nothing is flushed here: the wait flushes, once per turn of the loop.
void X11Backend::ProcessPendingEvents()
{
    Collect(just_waited_ ? socket_readable_ : ReadIsDue());
    just_waited_ = false;
    foreground_.Progress();
    const bool drawing_waits = x_.Outflow().Behind();
    for (const auto& [id, window] : windows_) {
        if (id != window->Overlay())
            continue;
        window->KeepOnTop();
        if (!drawing_waits)
            window->SendHeldDrawing();
    }
    XEvent event;
    while (TakeEvent(event)) {
        Act(event);
        // A click may have ended the program's last form.
        if (!AnyFormLoaded())
            return;
    }
    // `walkers --stop` heard on the session bus.
    stop_request::Answer();
    if (!AnyFormLoaded())
        return;
    FireDueTimers();
}

void X11Backend::Wait(int timeout_ms)
{
    Display* display = x_.display();
    // Only when there are new requests, and never into a socket the server
    // does not read: they wait in Xlib's buffer meanwhile. Xlib reads the
    // socket as part of a flush.
    X11Outflow& outflow = x_.Outflow();
    const bool unsent = NextRequest(display) != flushed_up_to_;
    if (unsent && !outflow.MayFlush()) {
        ++stats_.flushes_held;
    } else if (unsent) {
        stats_.StartFlush(ConnectionNumber(display));
        outflow.Send();
        stats_.EndFlush();
        flushed_up_to_ = NextRequest(display);
        last_read_ns_ = MonotonicNanoseconds();
    }
    just_waited_ = true;
    socket_readable_ = false;
    if (!deferred_.empty() || events_.HasQueued()) {
        // The sources are looked at even so, or a flood of X events would
        // keep them waiting.
        if (!watched_.empty())
            PollSourcesNow();
        return;
    }
    ++stats_.waits;
    // The answers the probe awaits wake the loop too: they are taken, and
    // the next questions asked, before the next tick.
    // A server behind on reading us wakes the loop when it catches up, to
    // send the drawing held back meanwhile.
    // After reads that found events and emptied the socket, it is not
    // waited on again for a moment: under another client's flood it fills
    // meanwhile and is emptied in a few large reads, where it would wake
    // the loop for every few events. A click waits a millisecond at most.
    // Reads that left events behind are taken up again at once.
    const int64_t start = MonotonicNanoseconds();
    const int64_t pause_ns = read_found_events_ && read_emptied_socket_
                                 ? last_read_ns_ + kReadInterval - start
                                 : 0;
    int64_t timeout_ns = timeout_ms < 0 ? -1 : int64_t(timeout_ms) * 1'000'000;
    short events = short(outflow.Behind() ? POLLOUT : 0);
    if (pause_ns > 0)
        timeout_ns = timeout_ns < 0 ? pause_ns : std::min(timeout_ns, pause_ns);
    else
        events = short(events | POLLIN);
    // The display, the question connection while answers are awaited, the
    // focus source's own events, then the watched sources (the session
    // bus), whose own deadlines shorten the wait.
    std::vector<pollfd>& descriptors = poll_set_;
    descriptors.assign({{ConnectionNumber(display), events, 0},
                        {foreground_.Asking() && x_.queries() != display ? ConnectionNumber(x_.queries()) : -1,
                         POLLIN, 0},
                        {focus_->EventDescriptor(), POLLIN, 0}});
    for (LoopSource* source : watched_) {
        descriptors.push_back({source->Descriptor(), source->Events(), 0});
        const int due = source->TimeoutMs();
        if (due >= 0 && (timeout_ns < 0 || int64_t(due) * 1'000'000 < timeout_ns))
            timeout_ns = int64_t(due) * 1'000'000;
    }
    const timespec timeout{time_t(timeout_ns / 1'000'000'000), long(timeout_ns % 1'000'000'000)};
    const int ready = ppoll(descriptors.data(), descriptors.size(),
                            timeout_ns < 0 ? nullptr : &timeout, nullptr);
    const int64_t end = MonotonicNanoseconds();
    stats_.AddWaiting(end - start);
    // A broken connection shows as readable too; reading it reaches the
    // I/O error handler, which ends the program.
    const short read_events = short(descriptors[0].revents & ~POLLOUT);
    socket_readable_ = read_events != 0 || (ready < 0 && errno != EINTR) ||
                       (pause_ns > 0 && end - start >= pause_ns);
    if (descriptors[0].revents & POLLOUT)
        outflow.CaughtUp();
    if (ready == 0 && pause_ns <= 0)
        last_read_ns_ = end; // as good as a read that found nothing
    ProcessSources(ready == 0 ? int((end - start) / 1'000'000) : 0);
}

void X11Backend::PollSourcesNow()
{
    poll_set_.assign(3, pollfd{-1, 0, 0});
    for (LoopSource* source : watched_)
        poll_set_.push_back({source->Descriptor(), source->Events(), 0});
    const int ready = poll(poll_set_.data(), poll_set_.size(), 0);
    ProcessSources(ready == 0 ? 0 : -1);
}

// A source takes its turn when its descriptor is ready or its timeout ran
// out during the wait; one with nothing for it is left alone, so a steady
// tick costs it no system call.
void X11Backend::ProcessSources(int waited_ms)
{
    constexpr std::size_t kFocus = 2, kFirstWatched = 3;
    if (poll_set_.size() < kFirstWatched)
        return;
    if (poll_set_[kFocus].fd >= 0 && poll_set_[kFocus].revents) {
        focus_->ReadEvents();
        ++source_turns_;
    }
    for (std::size_t i = 0; i < watched_.size(); ++i) {
        LoopSource& source = *watched_[i];
        const int due = source.TimeoutMs();
        if (poll_set_[kFirstWatched + i].revents == 0 && (due < 0 || due > waited_ms))
            continue;
        ++source_turns_;
        if (!source.Process()) {
            // As when the display goes: say why and end at once.
            std::fprintf(stderr, "walkers: %s\n", source.LostMessage());
            std::fflush(stderr);
            _exit(1);
        }
    }
    poll_set_.clear();
}

void X11Backend::RunLoop()
{
    while (AnyFormLoaded()) {
        ProcessPendingEvents();
        if (!AnyFormLoaded())
            break;
        Wait(timers_.MillisecondsUntilDue(MonotonicNanoseconds()));
        if (end_signals::EndRequested())
            End();
        if (end_signals::TakeReportRequest())
            ReportStats();
    }
}
