#include "platform/x11/x11_backend.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/shared/end_signals.h"
#include "platform/shared/monotonic_clock.h"
#include "platform/shared/stop_request.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/timer.h"
#include "platform/x11/x11_ewmh_focus_source.h"
#include "platform/x11/x11_form_window.h"

namespace {

// The root tells of the foreground window changing (_NET_ACTIVE_WINDOW),
// of a window manager coming or going, of its own size changing, and,
// without a window manager, of the input focus coming from or going to
// none.
constexpr uint32_t kRootEventMask = XCB_EVENT_MASK_PROPERTY_CHANGE |
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                    XCB_EVENT_MASK_FOCUS_CHANGE;

} // namespace

X11Backend::X11Backend(std::unique_ptr<X11Connection> connection, X11BackendSetup setup)
    : x_(std::move(connection)), questions_(*x_),
      foreground_(*x_, questions_, [this](xcb_window_t window) { return OwnEventMask(window); }),
      focus_(setup.focus ? std::move(setup.focus)
                         : std::make_unique<X11EwmhFocusSource>(foreground_)),
      loop_(*x_, questions_, *focus_, *this, stats_, [this] { return foreground_.Asking(); }),
      upload_(*x_), drawing_(*x_, upload_),
      pictures_on_server_(std::getenv("WALKERS_X11_CLIENT_IMAGE") == nullptr),
      desktop_(*x_, loop_, questions_, *focus_, registry_, stats_)
{
    xcb_change_window_attributes(x_->Main(), x_->Root(), XCB_CW_EVENT_MASK, &kRootEventMask);
    const char* stats = std::getenv("WALKERS_X11_STATS");
    stats_.MeasureScheduling(stats && std::string_view(stats) == "scheduling");
}

X11Backend::~X11Backend()
{
    if (std::getenv("WALKERS_X11_STATS"))
        ReportStats();
}

void X11Backend::ReportStats()
{
    stats_.Print(X11Counts{questions_.Asked(), questions_.WaitNanoseconds(),
                           x_->RequestsSent(), upload_.PutRequests(), upload_.PixelsSent(),
                           drawing_.PictureCopies(), x_->WriteGate().Looks()});
}

std::unique_ptr<NativeWindow> X11Backend::NewWindow(Form& form)
{
    return std::make_unique<X11FormWindow>(
        X11FormWindowServices{*x_, drawing_, upload_, registry_, pictures_on_server_}, form);
}

uint32_t X11Backend::OwnEventMask(xcb_window_t window) const
{
    if (window == x_->Root())
        return kRootEventMask;
    const X11FormWindow* form = registry_.Find(window);
    return form ? form->EventMaskOf(window) : uint32_t(XCB_EVENT_MASK_NO_EVENT);
}

void X11Backend::ShowMessage(const std::string& text)
{
    std::fprintf(stderr, "walkers: %s\n", text.c_str());
    X11MessageBox box(*this, text);
    box.Run();
}

void X11Backend::StartTimer(Timer& timer, int interval_ms)
{
    loop_.Timers().Start(timer, interval_ms, MonotonicNanoseconds());
}

void X11Backend::StopTimer(Timer& timer) { loop_.Timers().Stop(timer); }

void X11Backend::Observe(const X11Event& event)
{
    foreground_.Observe(event);
    switch (event.Type()) {
    case XCB_VISIBILITY_NOTIFY: {
        const auto& e = event.As<xcb_visibility_notify_event_t>();
        if (X11FormWindow* window = registry_.Find(e.window))
            window->ObserveVisibility(e);
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = event.As<xcb_configure_notify_event_t>();
        if (e.window == x_->Root())
            x_->RootResized(e.width, e.height);
        break;
    }
    case XCB_UNMAP_NOTIFY:
        if (X11FormWindow* window = registry_.Find(event.As<xcb_unmap_notify_event_t>().window))
            window->ObserveUnmap(event.Synthetic());
        break;
    default:
        break;
    }
}

// What the program sees as events: a click released on a figure (or the
// request of `walkers --stop`), and the window manager's close button. The
// handler may unload the form and so destroy its window: the window is
// looked up by its id every time, and nothing touches it after the handler.
void X11Backend::Act(const X11Event& event)
{
    switch (event.Type()) {
    case XCB_BUTTON_RELEASE: {
        const auto& e = event.As<xcb_button_release_event_t>();
        X11FormWindow* window = registry_.Find(e.event);
        if (!window || e.detail > XCB_BUTTON_INDEX_3 || !window->Contains(e.event_x, e.event_y))
            break;
        toolkit::DeliverClick(window->Owner());
        break;
    }
    case XCB_CLIENT_MESSAGE: {
        const auto& e = event.As<xcb_client_message_event_t>();
        X11FormWindow* window = registry_.Find(e.window);
        if (window && e.type == x_->atoms().walkers_stop) {
            // `walkers --stop`: as if the user clicked a figure.
            toolkit::DeliverClick(window->Owner());
            break;
        }
        if (!window || e.type != x_->atoms().wm_protocols ||
            e.data.data32[0] != x_->atoms().wm_delete_window)
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
    loop_.Timers().FireDue(MonotonicNanoseconds(), [this](Timer& timer) {
        ++stats_.timer_events;
        stats_.NoteTimer(MonotonicNanoseconds(), questions_.WaitNanoseconds());
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
    loop_.ReadAfterWait();
    foreground_.Progress();
    const bool drawing_waits = x_->WriteGate().Behind();
    for (const auto& [id, window] : registry_.All()) {
        if (id != window->Overlay())
            continue;
        window->KeepOnTop();
        if (!drawing_waits)
            window->SendHeldDrawing();
    }
    X11Event event;
    while (loop_.TakeEvent(event)) {
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

void X11Backend::RunLoop()
{
    while (AnyFormLoaded()) {
        ProcessPendingEvents();
        if (!AnyFormLoaded())
            break;
        loop_.Wait(loop_.Timers().MillisecondsUntilDue(MonotonicNanoseconds()));
        if (end_signals::EndRequested())
            End();
        if (end_signals::TakeReportRequest())
            ReportStats();
    }
}
