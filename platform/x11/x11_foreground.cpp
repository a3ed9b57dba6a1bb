#include "platform/x11/x11_foreground.h"

#include <algorithm>
#include <utility>

#include "platform/shared/monotonic_clock.h"
#include "platform/x11/x11_connection.h"

namespace {

// Window managers come and go rarely; their list is long.
constexpr int64_t kManagerRereadInterval = 100'000'000;

// How long the first answers are waited for at the start, so that the
// first tick already knows the window in front.
constexpr int64_t kFirstAnswersNs = 500'000'000;

// A window manager moving the focus from one window to the next may name
// no window in between: no window becomes the answer once that lasted.
constexpr int64_t kNoneLasts = 30'000'000;

// What watching adds to a window's mask: its title and frame extents, its
// moves and its end, and (without a window manager) the focus leaving it.
constexpr uint32_t kWatchActive =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE;
constexpr uint32_t kWatchTopLevel = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE;

} // namespace

X11Foreground::X11Foreground(X11Connection& x, X11Questions& questions,
                             std::function<uint32_t(xcb_window_t)> own_mask)
    : x_(x), questions_(questions), own_mask_(std::move(own_mask)),
      manager_(
          x, questions, [this](xcb_window_t window) { Select(window); },
          [this] { ManagerChanged(); }),
      active_(x, questions, [this](xcb_window_t window) { Follow(window); }), shown_(Know(XCB_NONE))
{
}

X11Foreground::~X11Foreground() = default;

void X11Foreground::Observe(const X11Event& event)
{
    const X11Atoms& atoms = x_.atoms();
    switch (event.Type()) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = event.As<xcb_property_notify_event_t>();
        ObserveRate(e.window, e.time);
        if (e.window == x_.Root()) {
            if (e.atom == atoms.net_active_window)
                active_stale_ = true;
            else if (e.atom == atoms.net_supported || e.atom == atoms.net_supporting_wm_check)
                manager_stale_ = active_stale_ = true;
        } else if (X11KnownWindow* k = Find(e.window)) {
            k->ObserveProperty(e.atom);
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY:
        for (X11KnownWindow* k : {shown_.get(), newly_in_front_.get()})
            if (k)
                k->ObserveConfigure(event.As<xcb_configure_notify_event_t>(), event.Synthetic());
        break;
    case XCB_REPARENT_NOTIFY:
        if (X11KnownWindow* k = Find(event.As<xcb_reparent_notify_event_t>().window))
            k->layout_stale = true;
        break;
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t gone = event.As<xcb_destroy_notify_event_t>().window;
        for (X11KnownWindow* k : {shown_.get(), newly_in_front_.get()}) {
            if (!k || k->window == XCB_NONE)
                continue;
            if (gone == k->window) {
                k->gone = true;
                active_stale_ = true;
            } else if (gone == k->layout.top_level) {
                k->layout_stale = true;
            }
        }
        if (gone == manager_.Check() && gone != XCB_NONE)
            manager_stale_ = active_stale_ = true;
        break;
    }
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: {
        // Only without a window manager does the focus name the window. The
        // root hears of the focus coming from or going to none or the
        // pointer root; a watched window hears of it leaving.
        const xcb_window_t w = event.As<xcb_focus_in_event_t>().event;
        if (manager_.Ewmh())
            break;
        bool watched = w == x_.Root();
        for (const X11KnownWindow* k : {shown_.get(), newly_in_front_.get()})
            watched =
                watched || (k && w != XCB_NONE && (w == k->window || w == k->layout.top_level));
        if (watched)
            active_stale_ = true;
        break;
    }
    default:
        break;
    }
}

X11KnownWindow* X11Foreground::Find(xcb_window_t window) const
{
    if (window == XCB_NONE)
        return nullptr;
    if (window == shown_->window)
        return shown_.get();
    if (newly_in_front_ && window == newly_in_front_->window)
        return newly_in_front_.get();
    return nullptr;
}

void X11Foreground::ObserveRate(xcb_window_t window, xcb_timestamp_t time)
{
    X11KnownWindow* k = Find(window);
    X11ChangeRate* rate = window == x_.Root() ? &root_rate_ : k ? &k->rate : nullptr;
    if (!rate || !rate->Count(time))
        return;
    rate->StopListening(MonotonicNanoseconds());
    Select(window);
}

void X11Foreground::ListenAgainWhenDue(int64_t now_ns)
{
    // Not while a question is unanswered: what it finds may be the flood
    // going on, and a server busy with a flood is slow to answer.
    if (!active_.Asked() && root_rate_.ListenAgainDue(now_ns)) {
        Select(x_.Root());
        manager_stale_ = active_stale_ = true; // what changed meanwhile is unknown
    }
    for (X11KnownWindow* k : {shown_.get(), newly_in_front_.get()}) {
        if (k && k->window != XCB_NONE && !k->TitleAsked() && k->rate.ListenAgainDue(now_ns)) {
            Select(k->window);
            k->title_stale = k->extents_stale = true;
        }
    }
}

uint32_t X11Foreground::MaskFor(xcb_window_t window) const
{
    uint32_t mask = own_mask_(window);
    bool deaf = window == x_.Root() && root_rate_.Deaf();
    for (const X11KnownWindow* k : {shown_.get(), newly_in_front_.get()}) {
        if (!k || k->window == XCB_NONE)
            continue;
        if (window == k->window) {
            mask |= kWatchActive;
            deaf = deaf || k->rate.Deaf();
        } else if (window == k->layout.top_level) {
            mask |= kWatchTopLevel;
        }
    }
    if (manager_.Watches(window))
        mask |= XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    return deaf ? mask & ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE) : mask;
}

void X11Foreground::Select(xcb_window_t window)
{
    if (window == XCB_NONE)
        return;
    const uint32_t mask = MaskFor(window);
    xcb_change_window_attributes(x_.Main(), window, XCB_CW_EVENT_MASK, &mask);
    // At once: a flood goes on while it waits, and a question about the
    // window follows on the other connection. Unless the write would wait:
    // then it goes with the next flush.
    if (x_.WriteGate().MayFlush()) {
        x_.Flush();
        x_.WriteGate().Flushed();
    }
}

xcb_window_t X11Foreground::Active()
{
    if (!started_)
        AwaitFirstAnswers();
    else
        Advance();
    return shown_->gone ? XCB_NONE : shown_->window;
}

void X11Foreground::AwaitFirstAnswers()
{
    started_ = true;
    // Nothing was answered before: the first answer may come in any call.
    const bool held = std::exchange(held_, false);
    const int64_t end = MonotonicNanoseconds() + kFirstAnswersNs;
    for (;;) {
        Advance();
        const int64_t left = end - MonotonicNanoseconds();
        if (FirstAnswersIn() || left <= 0)
            break;
        // In short slices: an answer may already sit in what was read.
        questions_.Await(int(std::min<int64_t>(left / 1'000'000 + 1, 5)));
    }
    held_ = held;
}

bool X11Foreground::FirstAnswersIn() const
{
    return manager_.Decided() && !manager_.Asking() && !active_.Asked() && !newly_in_front_;
}

void X11Foreground::Advance()
{
    const int64_t now = MonotonicNanoseconds();
    ListenAgainWhenDue(now);
    if (!manager_.Asking() &&
        manager_reread_.Due(manager_stale_, now, root_rate_.Deaf(), kManagerRereadInterval)) {
        manager_stale_ = false;
        manager_.Ask();
    }
    // The manager's verdict, the window in front (followed at once) and
    // what is known of the windows.
    questions_.Take();
    // The first question waits for the first verdict, which tells how to ask.
    if (manager_.Decided() && !active_.Asked() &&
        active_reread_.Due(active_stale_, now, root_rate_.Deaf())) {
        active_stale_ = false;
        active_.Ask(manager_.Ewmh());
    }
    if (newly_in_front_) {
        newly_in_front_->Refresh();
        if (newly_in_front_->Complete(MonotonicNanoseconds()) && !held_)
            Promote();
    }
}

void X11Foreground::ManagerChanged()
{
    // While the root is not listened to, a change seen here means its
    // flood goes on: listening waits for it to end.
    if (root_rate_.Deaf())
        root_rate_.StopListening(MonotonicNanoseconds());
    // The window in front is asked for anew, the way the verdict tells.
    active_.Forget();
    active_stale_ = true;
    active_reread_.Forget();
}

void X11Foreground::Follow(xcb_window_t now)
{
    const xcb_window_t following = newly_in_front_ ? newly_in_front_->window : shown_->window;
    if (root_rate_.Deaf() && now != following)
        root_rate_.StopListening(MonotonicNanoseconds());
    // The same window: what is known of it stays.
    if (now == following)
        return;
    if (newly_in_front_)
        Release(std::move(newly_in_front_));
    if (now == shown_->window)
        return; // back to the window answered
    newly_in_front_ = Know(now);
    if (now == XCB_NONE) {
        newly_in_front_->look_again_ns = MonotonicNanoseconds() + kNoneLasts;
        return;
    }
    // Watch first, then ask: a change after the answer is then heard of.
    Select(now);
    newly_in_front_->look_again_ns = MonotonicNanoseconds() + X11KnownWindow::kLookAgainAfterNs;
    newly_in_front_->Refresh();
    // The focus is heard of leaving only once the new window is watched:
    // if it left meanwhile, the next answer says so.
    if (!manager_.Ewmh())
        active_stale_ = true;
}

void X11Foreground::Promote()
{
    std::unique_ptr<X11KnownWindow> before = std::move(shown_);
    shown_ = std::move(newly_in_front_);
    Release(std::move(before));
}

void X11Foreground::Release(std::unique_ptr<X11KnownWindow> known)
{
    Select(known->window);
    if (known->layout.top_level != known->window)
        Select(known->layout.top_level);
}

bool X11Foreground::Title(xcb_window_t window, std::string& title)
{
    if (window == XCB_NONE || window != shown_->window)
        return false;
    shown_->Refresh();
    questions_.Take();
    if (shown_->gone)
        return false;
    title = shown_->title;
    return shown_->has_title;
}

bool X11Foreground::Rect(xcb_window_t window, RECT& rect)
{
    if (window == XCB_NONE || window != shown_->window)
        return false;
    shown_->Refresh();
    questions_.Take();
    if (shown_->gone)
        return false;
    rect = shown_->VisibleRect();
    return true;
}

std::unique_ptr<X11KnownWindow> X11Foreground::Know(xcb_window_t window)
{
    return std::make_unique<X11KnownWindow>(x_, questions_, window,
                                            [this](xcb_window_t w) { Select(w); });
}
