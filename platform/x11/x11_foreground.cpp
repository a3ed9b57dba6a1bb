#include "platform/x11/x11_foreground.h"
#include "platform/shared/monotonic_clock.h"

#include <X11/Xatom.h>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_reply.h"

namespace {

// Titles are answered with at most 127 bytes; one more tells a longer
// title from one that fits exactly.
constexpr long kTitleBytes = 128;

// A property that keeps changing is read again at most this often, and
// less often while its window is not listened to (a question then may wait
// behind what the server sent before it stopped).
constexpr int64_t kDeafRereadInterval = 100'000'000;
// Window managers come and go rarely; their list is long.
constexpr int64_t kManagerRereadInterval = 100'000'000;

// How long the first answers are waited for at the start, so that the
// first tick already knows the window in front.
constexpr int64_t kFirstAnswersNs = 500'000'000;

// A window starts being watched on the connection for events, and is asked
// about on the one for questions: the server may answer the question before
// it takes in the watch, and a change in between would go unheard. So a
// window newly watched is asked about once more, when the watch has long
// been taken in.
constexpr int64_t kLookAgainAfter = 100'000'000;

// A window manager moving the focus from one window to the next may name
// no window in between: no window becomes the answer once that lasted.
constexpr int64_t kNoneLasts = 30'000'000;

// What watching adds to a window's mask: its title and frame extents, its
// moves and its end, and (without a window manager) the focus leaving it.
constexpr long kWatchActive = PropertyChangeMask | StructureNotifyMask | FocusChangeMask;
constexpr long kWatchTopLevel = StructureNotifyMask | FocusChangeMask;

} // namespace

X11Foreground::X11Foreground(X11Connection& x, std::function<long(Window)> own_mask)
    : x_(x), own_mask_(std::move(own_mask)),
      manager_(x, [this](Window window) { Select(window); }), active_(x),
      shown_(std::make_unique<Known>())
{
}

X11Foreground::~X11Foreground() = default;

void X11Foreground::Observe(const XEvent& event)
{
    const X11Atoms& atoms = x_.atoms();
    switch (event.type) {
    case PropertyNotify: {
        const XPropertyEvent& e = event.xproperty;
        ObserveRate(e.window, e.time);
        if (e.window == x_.root()) {
            if (e.atom == atoms.net_active_window)
                active_stale_ = true;
            else if (e.atom == atoms.net_supported || e.atom == atoms.net_supporting_wm_check)
                manager_stale_ = active_stale_ = true;
        } else if (Known* k = Find(e.window)) {
            if (e.atom == atoms.net_wm_name || e.atom == XA_WM_NAME)
                k->title_stale = true;
            else if (e.atom == atoms.net_frame_extents || e.atom == atoms.gtk_frame_extents)
                k->extents_stale = true;
        }
        break;
    }
    case ConfigureNotify:
        for (Known* k : {shown_.get(), coming_.get()})
            if (k)
                ObserveConfigure(*k, event.xconfigure);
        break;
    case ReparentNotify:
        if (Known* k = Find(event.xreparent.window))
            k->layout_stale = true;
        break;
    case DestroyNotify: {
        const Window gone = event.xdestroywindow.window;
        for (Known* k : {shown_.get(), coming_.get()}) {
            if (!k || k->window == None)
                continue;
            if (gone == k->window) {
                k->gone = true;
                active_stale_ = true;
            } else if (gone == k->layout.top_level) {
                k->layout_stale = true;
            }
        }
        if (gone == manager_.Check() && gone != None)
            manager_stale_ = active_stale_ = true;
        break;
    }
    case FocusIn:
    case FocusOut: {
        // Only without a window manager does the focus name the window. The
        // root hears of the focus coming from or going to none or the
        // pointer root; a watched window hears of it leaving.
        const Window w = event.xfocus.window;
        if (manager_.Ewmh())
            break;
        bool watched = w == x_.root();
        for (const Known* k : {shown_.get(), coming_.get()})
            watched = watched || (k && w != None && (w == k->window || w == k->layout.top_level));
        if (watched)
            active_stale_ = true;
        break;
    }
    default:
        break;
    }
}

void X11Foreground::ObserveConfigure(Known& k, const XConfigureEvent& e)
{
    if (e.event != e.window || k.window == None)
        return; // a child's move, heard through SubstructureNotify
    const bool top_level = k.layout_known && e.window == k.layout.top_level;
    if (e.window != k.window && !top_level)
        return;
    // A place asked for may have been answered before this move.
    if (k.layout_asked.Busy() && !e.send_event)
        k.layout_stale = true;
    if (!k.layout_known || k.layout_stale)
        return;
    X11Layout& l = k.layout;
    if (top_level) {
        l.top = X11Geometry{e.x, e.y, e.width, e.height, e.border_width};
        if (l.top_level == k.window)
            l.client = l.top;
    } else {
        l.client.width = e.width;
        l.client.height = e.height;
        l.client.border = e.border_width;
        // A window manager's synthetic notice gives root coordinates; the
        // top level's own notice tells the frame's place. A real one moved
        // the window inside its parent.
        if (!e.send_event) {
            if (l.parent == l.top_level) {
                l.client_dx = e.x + e.border_width;
                l.client_dy = e.y + e.border_width;
            } else {
                k.layout_stale = true;
            }
        }
    }
}

bool X11Foreground::Due(bool stale, int64_t& read_ns, bool deaf, int64_t interval)
{
    if (!stale && !deaf)
        return false;
    const int64_t now = MonotonicNanoseconds();
    if (now - read_ns < (deaf ? std::max(interval, kDeafRereadInterval) : interval))
        return false;
    read_ns = now;
    return true;
}

X11Foreground::Known* X11Foreground::Find(Window window) const
{
    if (window == None)
        return nullptr;
    if (window == shown_->window)
        return shown_.get();
    if (coming_ && window == coming_->window)
        return coming_.get();
    return nullptr;
}

void X11Foreground::ObserveRate(Window window, Time time)
{
    Known* k = Find(window);
    X11ChangeRate* rate = window == x_.root() ? &root_rate_ : k ? &k->rate : nullptr;
    if (!rate || !rate->Count(time))
        return;
    rate->StopListening(MonotonicNanoseconds());
    Select(window);
}

void X11Foreground::ListenAgainWhenDue()
{
    // Not while a question is unanswered: what it finds may be the flood
    // going on, and a server busy with a flood is slow to answer.
    const int64_t now = MonotonicNanoseconds();
    if (!active_.Asked() && root_rate_.ListenAgainDue(now)) {
        Select(x_.root());
        manager_stale_ = active_stale_ = true; // what changed meanwhile is unknown
    }
    for (Known* k : {shown_.get(), coming_.get()}) {
        if (k && k->window != None && !k->title_asked.Asked() && k->rate.ListenAgainDue(now)) {
            Select(k->window);
            k->title_stale = k->extents_stale = true;
        }
    }
}

long X11Foreground::MaskFor(Window window) const
{
    long mask = own_mask_(window);
    bool deaf = window == x_.root() && root_rate_.Deaf();
    for (const Known* k : {shown_.get(), coming_.get()}) {
        if (!k || k->window == None)
            continue;
        if (window == k->window) {
            mask |= kWatchActive;
            deaf = deaf || k->rate.Deaf();
        } else if (window == k->layout.top_level) {
            mask |= kWatchTopLevel;
        }
    }
    if (manager_.Watches(window))
        mask |= StructureNotifyMask;
    return deaf ? mask & ~PropertyChangeMask : mask;
}

void X11Foreground::Select(Window window)
{
    if (window == None)
        return;
    XSelectInput(x_.display(), window, MaskFor(window));
    // At once: a flood goes on while it waits, and a question about the
    // window follows on the other connection. Unless the write would wait:
    // then it goes with the next flush.
    if (x_.Outflow().MayFlush())
        x_.Outflow().Send();
}

void X11Foreground::Reselect(Window window)
{
    if (window != None)
        XSelectInput(x_.display(), window, MaskFor(window));
}

Window X11Foreground::Active()
{
    if (!started_)
        AwaitFirstAnswers();
    else
        Advance();
    return shown_->gone ? None : shown_->window;
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
        if (Settled() || left <= 0)
            break;
        // In short slices: an answer may already sit in what was read.
        AwaitReplies(x_, int(std::min<int64_t>(left / 1'000'000 + 1, 5)));
    }
    held_ = held;
}

bool X11Foreground::Settled() const
{
    return manager_.Decided() && !manager_.Asking() && !active_.Asked() && !coming_;
}

void X11Foreground::Advance()
{
    ListenAgainWhenDue();
    if (!manager_.Asking() &&
        Due(manager_stale_, manager_read_ns_, root_rate_.Deaf(), kManagerRereadInterval)) {
        manager_stale_ = false;
        manager_.Ask();
    }
    const Window check_before = manager_.Check();
    const bool ewmh_before = manager_.Ewmh();
    if (manager_.Advance())
        ManagerDecided(check_before, ewmh_before);
    // The first question waits for the first verdict, which tells how to ask.
    if (manager_.Decided() && !active_.Asked() &&
        Due(active_stale_, active_read_ns_, root_rate_.Deaf())) {
        active_stale_ = false;
        active_.Ask(manager_.Ewmh());
    }
    Window now = None;
    if (active_.Take(now))
        Follow(now);
    if (coming_) {
        Refresh(*coming_);
        if (coming_->Complete(MonotonicNanoseconds()) && !held_)
            Promote();
    }
}

void X11Foreground::ManagerDecided(Window check_before, bool ewmh_before)
{
    if (manager_.Check() == check_before && manager_.Ewmh() == ewmh_before)
        return;
    // While the root is not listened to, a change seen here means its
    // flood goes on: listening waits for it to end.
    if (root_rate_.Deaf())
        root_rate_.StopListening(MonotonicNanoseconds());
    // The window in front is asked for anew, the way the verdict tells.
    active_.Forget();
    active_stale_ = true;
    active_read_ns_ = kNeverRead;
}

void X11Foreground::Follow(Window now)
{
    const Window following = coming_ ? coming_->window : shown_->window;
    if (root_rate_.Deaf() && now != following)
        root_rate_.StopListening(MonotonicNanoseconds());
    // The same window: what is known of it stays.
    if (now == following)
        return;
    if (coming_)
        Release(std::move(coming_));
    if (now == shown_->window)
        return; // back to the window answered
    coming_ = std::make_unique<Known>();
    coming_->window = now;
    if (now == None) {
        coming_->look_again_ns = MonotonicNanoseconds() + kNoneLasts;
        return;
    }
    // Watch first, then ask: a change after the answer is then heard of.
    Select(now);
    coming_->look_again_ns = MonotonicNanoseconds() + kLookAgainAfter;
    Refresh(*coming_);
    // The focus is heard of leaving only once the new window is watched:
    // if it left meanwhile, the next answer says so.
    if (!manager_.Ewmh())
        active_stale_ = true;
}

void X11Foreground::Promote()
{
    std::unique_ptr<Known> before = std::move(shown_);
    shown_ = std::move(coming_);
    Release(std::move(before));
}

void X11Foreground::Release(std::unique_ptr<Known> known)
{
    Select(known->window);
    if (known->layout.top_level != known->window)
        Select(known->layout.top_level);
}

bool X11Foreground::Title(Window window, std::string& title)
{
    if (window == None || window != shown_->window)
        return false;
    Refresh(*shown_);
    if (shown_->gone)
        return false;
    title = shown_->title;
    return shown_->has_title;
}

bool X11Foreground::Rect(Window window, RECT& rect)
{
    if (window == None || window != shown_->window)
        return false;
    Refresh(*shown_);
    if (shown_->gone)
        return false;
    rect = VisibleRect(*shown_);
    return true;
}

void X11Foreground::Refresh(Known& k)
{
    if (k.window == None || k.gone)
        return;
    if (k.look_again_ns != 0 && MonotonicNanoseconds() >= k.look_again_ns) {
        k.look_again_ns = 0;
        k.title_stale = k.extents_stale = k.layout_stale = true;
    }
    RefreshTitle(k);
    RefreshExtents(k);
    RefreshLayout(k);
}

// _NET_WM_NAME in UTF-8 first, then WM_NAME as it was stored (as text of
// any of the types a title is stored in).
void X11Foreground::RefreshTitle(Known& k)
{
    PropertyPair& asked = k.title_asked;
    if (!asked.Asked() && Due(k.title_stale, k.title_read_ns, k.rate.Deaf())) {
        k.title_stale = false;
        constexpr long kUnits = (kTitleBytes + 3) / 4;
        asked.first.Ask(x_, k.window, x_.atoms().net_wm_name, kUnits);
        asked.second.Ask(x_, k.window, XA_WM_NAME, kUnits);
    }
    if (!asked.Asked() || !asked.Take())
        return;
    const X11Atoms& atoms = x_.atoms();
    const std::string before = std::move(k.title);
    k.has_title =
        x11_properties::ParseText(asked.first.Answer(), {atoms.utf8_string}, kTitleBytes,
                                  k.title) ||
        x11_properties::ParseText(asked.second.Answer(),
                                  {XA_STRING, atoms.utf8_string, atoms.compound_text},
                                  kTitleBytes, k.title);
    // No window (or a pixmap, which has no properties): both questions failed.
    if (asked.first.Failed() && asked.second.Failed())
        k.gone = true;
    asked.Forget();
    if (k.title_known && k.rate.Deaf() && k.title != before)
        k.rate.StopListening(MonotonicNanoseconds());
    k.title_known = true;
}

void X11Foreground::RefreshExtents(Known& k)
{
    PropertyPair& asked = k.extents_asked;
    if (!asked.Asked() && Due(k.extents_stale, k.extents_read_ns, k.rate.Deaf())) {
        k.extents_stale = false;
        asked.first.Ask(x_, k.window, x_.atoms().net_frame_extents, 4);
        asked.second.Ask(x_, k.window, x_.atoms().gtk_frame_extents, 4);
    }
    if (!asked.Asked() || !asked.Take())
        return;
    auto read = [](const x11_properties::PropertyData& answer, x11_frame::Extents& extents) {
        std::vector<uint32_t> items;
        extents = x11_frame::Extents{};
        if (x11_properties::ParseItems32(answer, XA_CARDINAL, 4, items) && items.size() == 4)
            extents = x11_frame::Extents{true, items[0], items[1], items[2], items[3]};
    };
    read(asked.first.Answer(), k.frame_extents);
    read(asked.second.Answer(), k.gtk_extents);
    if (asked.first.Failed() && asked.second.Failed())
        k.gone = true;
    asked.Forget();
    k.extents_known = true;
}

void X11Foreground::RefreshLayout(Known& k)
{
    if (!k.layout_asked.Busy() && Due(k.layout_stale, k.layout_read_ns)) {
        k.layout_stale = false;
        k.layout_asked.Start(x_, k.window);
    }
    switch (k.layout_asked.Advance()) {
    case X11LayoutLookup::Progress::kGone:
        k.gone = true;
        break;
    case X11LayoutLookup::Progress::kFound: {
        const Window top_before = k.layout.top_level;
        k.layout = k.layout_asked.Found();
        k.layout_known = true;
        if (k.layout.top_level != top_before) {
            if (top_before != k.window)
                Select(top_before);
            if (k.layout.top_level != k.window)
                Select(k.layout.top_level);
            k.look_again_ns = MonotonicNanoseconds() + kLookAgainAfter;
        }
        break;
    }
    case X11LayoutLookup::Progress::kIdle:
    case X11LayoutLookup::Progress::kAsking:
        break;
    }
}

RECT X11Foreground::VisibleRect(const Known& k)
{
    const X11Layout& l = k.layout;
    const x11_frame::Layout layout{l.top.x,        l.top.y,         l.top.width,
                                   l.top.height,   l.top.border,    l.client_dx,
                                   l.client_dy,    l.client.width,  l.client.height};
    return x11_frame::VisibleRect(layout, k.frame_extents, k.gtk_extents);
}
