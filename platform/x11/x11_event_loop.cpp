#include "platform/x11/x11_event_loop.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <utility>

#include "platform/focus/focus_source.h"
#include "platform/shared/monotonic_clock.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_questions.h"
#include "platform/x11/x11_stats.h"

namespace {

// Between two turns of the loop no person clicks this often; what another
// client sends beyond it is dropped.
constexpr std::size_t kMostKept = 1024;

// The poll set's fixed places.
constexpr std::size_t kMain = 0, kQuestions = 1, kFocus = 2, kFirstWatched = 3;

} // namespace

X11EventLoop::X11EventLoop(X11Connection& x, X11Questions& questions, FocusSource& focus,
                           Observer& observer, X11Stats& stats,
                           std::function<bool()> answers_awaited)
    : x_(x), questions_(questions), focus_(focus), observer_(observer), stats_(stats),
      answers_awaited_(std::move(answers_awaited)), events_(x),
      last_read_ns_(MonotonicNanoseconds())
{
}

// Events someone acts on later: a click, a close request (or `walkers
// --stop`), and what the message box waits for. Everything else has been
// observed and is done with, so another client's flood of changes, or of
// messages of its own making, costs no memory.
bool X11EventLoop::WorthKeeping(const X11Event& event) const
{
    switch (event.Type()) {
    case XCB_CLIENT_MESSAGE: {
        const xcb_atom_t type = event.As<xcb_client_message_event_t>().type;
        return type == x_.atoms().wm_protocols || type == x_.atoms().walkers_stop;
    }
    case XCB_BUTTON_RELEASE:
    case XCB_KEY_PRESS:
    case XCB_EXPOSE:
    case XCB_MAP_NOTIFY:
    case XCB_DESTROY_NOTIFY:
        return true;
    default:
        return false;
    }
}

// Moves what was read, after reading the socket if asked, through the
// observer to the events waiting to be acted on. One read takes a few
// kilobytes at most, and a turn of the loop reads until the socket is
// empty or it has read a few dozen kilobytes: what a flood sends beyond
// waits on the server, and the next turn takes its share.
void X11EventLoop::Collect(bool read_socket)
{
    constexpr int kReadsPerTurn = 16;
    int reads_left = read_socket ? kReadsPerTurn : 0;
    if (read_socket) {
        last_read_ns_ = MonotonicNanoseconds();
        socket_readable_ = false;
    }
    bool found = false;
    X11Event event;
    while (events_.Next(event, reads_left)) {
        found = true;
        ++stats_.x_events;
        observer_.Observe(event);
        if (WorthKeeping(event) && kept_.size() < kMostKept)
            kept_.push_back(event);
    }
    if (read_socket) {
        read_found_events_ = found;
        read_emptied_socket_ = events_.Emptied();
    }
}

void X11EventLoop::ReadAfterWait()
{
    Collect(just_waited_ ? socket_readable_ : ReadIsDue());
    just_waited_ = false;
}

bool X11EventLoop::ReadIsDue() const
{
    return MonotonicNanoseconds() - last_read_ns_ >= kReadInterval;
}

bool X11EventLoop::TakeEvent(X11Event& event)
{
    if (kept_.empty())
        return false;
    event = kept_.front();
    kept_.pop_front();
    return true;
}

void X11EventLoop::GiveBack(const std::vector<X11Event>& events)
{
    kept_.insert(kept_.begin(), events.begin(), events.end());
}

// Never into a socket the server does not read: the requests wait in xcb's
// buffer meanwhile. A flush that writes also reads what has come.
void X11EventLoop::Flush()
{
    X11WriteGate& gate = x_.WriteGate();
    if (!gate.MayFlush()) {
        ++stats_.flushes_held;
        return;
    }
    stats_.StartFlush(xcb_get_file_descriptor(x_.Main()));
    x_.Flush();
    stats_.EndFlush();
    gate.Flushed();
}

void X11EventLoop::Wait(int timeout_ms)
{
    Flush();
    just_waited_ = true;
    socket_readable_ = false;
    if (!kept_.empty() || events_.HasQueued()) {
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
    const int64_t start = MonotonicNanoseconds();
    const int64_t pause_ns = read_found_events_ && read_emptied_socket_
                                 ? last_read_ns_ + kReadInterval - start
                                 : 0;
    int64_t timeout_ns = timeout_ms < 0 ? -1 : int64_t(timeout_ms) * 1'000'000;
    short main_events = short(x_.WriteGate().Behind() ? POLLOUT : 0);
    if (pause_ns > 0)
        timeout_ns = timeout_ns < 0 ? pause_ns : std::min(timeout_ns, pause_ns);
    else
        main_events = short(main_events | POLLIN);
    const bool asking =
        questions_.Waiting() && answers_awaited_() && !x_.SharesQuestions();
    poll_set_.assign({{xcb_get_file_descriptor(x_.Main()), main_events, 0},
                      {asking ? questions_.Descriptor() : -1, POLLIN, 0},
                      {focus_.EventDescriptor(), POLLIN, 0}});
    for (LoopSource* source : watched_) {
        poll_set_.push_back({source->Descriptor(), source->Events(), 0});
        const int due = source->TimeoutMs();
        if (due >= 0 && (timeout_ns < 0 || int64_t(due) * 1'000'000 < timeout_ns))
            timeout_ns = int64_t(due) * 1'000'000;
    }
    const timespec timeout{time_t(timeout_ns / 1'000'000'000), long(timeout_ns % 1'000'000'000)};
    const int ready = ppoll(poll_set_.data(), poll_set_.size(),
                            timeout_ns < 0 ? nullptr : &timeout, nullptr);
    const int64_t end = MonotonicNanoseconds();
    stats_.AddWaiting(end - start);
    // A broken connection shows as readable too; reading it finds it gone.
    const short read_events = short(poll_set_[kMain].revents & ~POLLOUT);
    socket_readable_ = read_events != 0 || (ready < 0 && errno != EINTR) ||
                       (pause_ns > 0 && end - start >= pause_ns);
    if (poll_set_[kMain].revents & POLLOUT)
        x_.WriteGate().CaughtUp();
    if (ready == 0 && pause_ns <= 0)
        last_read_ns_ = end; // as good as a read that found nothing
    ProcessSources(ready == 0 ? int((end - start) / 1'000'000) : 0);
}

void X11EventLoop::PollSourcesNow()
{
    poll_set_.assign(kFirstWatched, pollfd{-1, 0, 0});
    for (LoopSource* source : watched_)
        poll_set_.push_back({source->Descriptor(), source->Events(), 0});
    const int ready = poll(poll_set_.data(), poll_set_.size(), 0);
    ProcessSources(ready == 0 ? 0 : -1);
}

// A source takes its turn when its descriptor is ready or its timeout ran
// out during the wait; one with nothing for it is left alone, so a steady
// tick costs it no system call.
void X11EventLoop::ProcessSources(int waited_ms)
{
    if (poll_set_.size() < kFirstWatched)
        return;
    if (poll_set_[kFocus].fd >= 0 && poll_set_[kFocus].revents) {
        focus_.ReadEvents();
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
