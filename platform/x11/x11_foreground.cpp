#include "platform/x11/x11_foreground.h"
#include "platform/shared/monotonic_clock.h"

#include <X11/Xatom.h>
#include <algorithm>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace {

// Titles are answered with at most 127 bytes; one more tells a longer
// title from one that fits exactly.
constexpr long kTitleBytes = 128;

// A property that keeps changing is read again at most this often, and
// less often while its window is not listened to (a round trip then may
// wait behind what the server sent before it stopped).
constexpr int64_t kRereadInterval = 10'000'000;
constexpr int64_t kDeafRereadInterval = 100'000'000;
// Window managers come and go rarely; their list is long.
constexpr int64_t kManagerRereadInterval = 100'000'000;

// A window starts being watched on the connection for events, and is asked
// about on the one for questions: the server may answer the question before
// it takes in the watch, and a change in between would go unheard. So a
// window newly watched is asked about once more, when the watch has long
// been taken in.
constexpr int64_t kLookAgainAfter = 100'000'000;

// _NET_SUPPORTED is read in pieces of this many atoms, up to the most a
// property can sensibly list, until _NET_ACTIVE_WINDOW is found.
constexpr long kSupportedPiece = 16384;
constexpr long kSupportedMost = 1 << 18;

// What watching adds to a window's mask: its title and frame extents, its
// moves and its end, and (without a window manager) the focus leaving it.
constexpr long kWatchActive = PropertyChangeMask | StructureNotifyMask | FocusChangeMask;
constexpr long kWatchTopLevel = StructureNotifyMask | FocusChangeMask;

} // namespace

X11Foreground::X11Foreground(X11Connection& x, std::function<long(Window)> own_mask)
    : x_(x), own_mask_(std::move(own_mask))
{
}

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
        } else if (e.window == active_.window) {
            if (e.atom == atoms.net_wm_name || e.atom == XA_WM_NAME)
                active_.title_stale = true;
            else if (e.atom == atoms.net_frame_extents || e.atom == atoms.gtk_frame_extents)
                active_.extents_stale = true;
        }
        break;
    }
    case ConfigureNotify:
        ObserveConfigure(event.xconfigure);
        break;
    case ReparentNotify:
        if (event.xreparent.window == active_.window)
            active_.layout_stale = true;
        break;
    case DestroyNotify: {
        const Window gone = event.xdestroywindow.window;
        if (gone == active_.window && active_.window != None) {
            active_.gone = true;
            active_stale_ = true;
        } else if (gone == active_.top_level) {
            active_.layout_stale = true;
        }
        if (gone == manager_check_ && manager_check_ != None)
            manager_stale_ = active_stale_ = true;
        break;
    }
    case FocusIn:
    case FocusOut: {
        // Only without a window manager does the focus name the window. The
        // root hears of the focus coming from or going to none or the
        // pointer root; the watched window hears of it leaving.
        const Window w = event.xfocus.window;
        if (!ewmh_ && (w == x_.root() || w == active_.window || w == active_.top_level))
            active_stale_ = true;
        break;
    }
    default:
        break;
    }
}

void X11Foreground::ObserveConfigure(const XConfigureEvent& e)
{
    if (e.event != e.window)
        return; // a child's move, heard through SubstructureNotify
    Known& k = active_;
    if (k.window == None || k.layout_stale)
        return;
    if (e.window == k.top_level) {
        k.top = x11_properties::Geometry{e.x, e.y, e.width, e.height, e.border_width};
        if (k.top_level == k.window) {
            k.client_width = e.width;
            k.client_height = e.height;
            k.client_border = e.border_width;
        }
    } else if (e.window == k.window) {
        k.client_width = e.width;
        k.client_height = e.height;
        k.client_border = e.border_width;
        // A window manager's synthetic notice gives root coordinates; the
        // top level's own notice tells the frame's place. A real one moved
        // the window inside its parent.
        if (!e.send_event) {
            if (k.parent == k.top_level) {
                k.client_dx = e.x + e.border_width;
                k.client_dy = e.y + e.border_width;
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

void X11Foreground::ObserveRate(Window window, Time time)
{
    X11ChangeRate* rate = window == x_.root()        ? &root_rate_
                          : window == active_.window ? &active_rate_
                                                     : nullptr;
    if (!rate || !rate->Count(time))
        return;
    rate->StopListening(MonotonicNanoseconds());
    SelectProperties(window, false);
}

void X11Foreground::ListenAgainWhenDue()
{
    // Not while a question is unanswered: what it finds may be the flood
    // going on, and a server busy with a flood is slow to answer.
    const int64_t now = MonotonicNanoseconds();
    if (!active_asked_.Asked() && root_rate_.ListenAgainDue(now)) {
        SelectProperties(x_.root(), true);
        manager_stale_ = active_stale_ = true; // what changed meanwhile is unknown
    }
    if (!title_asked_.Asked() && active_rate_.ListenAgainDue(now)) {
        SelectProperties(active_.window, true);
        active_.title_stale = active_.extents_stale = true;
    }
}

void X11Foreground::SelectProperties(Window window, bool listen)
{
    if (window == None)
        return;
    long mask = own_mask_(window);
    if (window == active_.window)
        mask |= kWatchActive;
    else if (window == active_.top_level)
        mask |= kWatchTopLevel;
    if (!listen)
        mask &= ~PropertyChangeMask;
    XSelectInput(x_.display(), window, mask);
    // At once: every moment it waits, the server sends more.
    XFlush(x_.display());
}

void X11Foreground::RefreshManager()
{
    manager_stale_ = false;
    const X11Atoms& atoms = x_.atoms();
    const Window previous_check = manager_check_;
    active_asked_.Forget();
    ewmh_answered_ = false;
    ewmh_ = false;
    manager_check_ = None;

    // A live manager keeps a window naming itself in _NET_SUPPORTING_WM_CHECK
    // on both the root and that window; one that died leaves the root's
    // properties behind, naming a window that is gone.
    std::vector<uint32_t> items;
    if (x11_properties::ReadItems32(x_, x_.root(), atoms.net_supporting_wm_check, XA_WINDOW, 1,
                                    items) &&
        !items.empty() && items[0] != None && items[0] != x_.root()) {
        const Window check = items[0];
        if (check != previous_check)
            Watch(check, StructureNotifyMask);
        if (x11_properties::ReadItems32(x_, check, atoms.net_supporting_wm_check, XA_WINDOW, 1,
                                        items) &&
            !items.empty() && items[0] == check) {
            manager_check_ = check;
        }
    }
    if (previous_check != None && previous_check != manager_check_)
        Unwatch(previous_check);
    if (manager_check_ == None)
        return;

    bool more = true;
    for (long offset = 0; more && !ewmh_ && offset < kSupportedMost; offset += kSupportedPiece) {
        if (!x11_properties::ReadItems32(x_, x_.root(), atoms.net_supported, XA_ATOM,
                                         kSupportedPiece, items, offset, &more))
            break;
        ewmh_ = std::find(items.begin(), items.end(), atoms.net_active_window) != items.end();
    }
}

Window X11Foreground::Active()
{
    ListenAgainWhenDue();
    if (active_.look_again_ns != 0 && MonotonicNanoseconds() >= active_.look_again_ns) {
        active_.look_again_ns = 0;
        active_.title_stale = active_.extents_stale = active_.layout_stale = true;
    }
    if (Due(manager_stale_, manager_read_ns_, root_rate_.Deaf(), kManagerRereadInterval)) {
        const Window check_before = manager_check_;
        const bool ewmh_before = ewmh_;
        RefreshManager();
        if (root_rate_.Deaf() && (manager_check_ != check_before || ewmh_ != ewmh_before))
            root_rate_.StopListening(MonotonicNanoseconds());
    }
    if (!active_asked_.Asked() && Due(active_stale_, active_read_ns_, root_rate_.Deaf())) {
        active_stale_ = false;
        // The manager's answer, once one came, is asked for without
        // waiting; the focus is asked by more than one question.
        if (ewmh_ && ewmh_answered_)
            active_asked_.Ask(x_, x_.root(), x_.atoms().net_active_window, 1);
        else
            Follow(AskActive());
    }
    if (active_asked_.Asked() && active_asked_.Take(false)) {
        const Window now = ActiveFrom(active_asked_.Answer());
        active_asked_.Forget();
        Follow(now);
    }
    return active_.gone ? None : active_.window;
}

void X11Foreground::Follow(Window now)
{
    ewmh_answered_ = ewmh_;
    // While the root is not listened to, a change seen here means its
    // flood goes on: as for a window, listening waits for it to end.
    if (root_rate_.Deaf() && now != active_.window)
        root_rate_.StopListening(MonotonicNanoseconds());
    // The same window, still there: what is known of it stays.
    if (now == active_.window)
        return;
    Track(now);
    // The focus is heard of leaving only once the new window is watched:
    // if it left meanwhile, ask again next time.
    if (!ewmh_ && AskActive() != now)
        active_stale_ = true;
}

// The root is no window in front, whatever the property says.
Window X11Foreground::ActiveFrom(const x11_properties::PropertyData& answer) const
{
    std::vector<uint32_t> items;
    if (x11_properties::ParseItems32(answer, XA_WINDOW, 1, items) && !items.empty() &&
        items[0] != x_.root())
        return items[0];
    return None;
}

Window X11Foreground::AskActive()
{
    if (ewmh_) {
        x11_properties::PropertyRequest question;
        question.Ask(x_, x_.root(), x_.atoms().net_active_window, 1);
        question.Take(true);
        return ActiveFrom(question.Answer());
    }
    Window focus = None;
    int revert = 0;
    const X11Connection::RoundTrip trip(x_);
    XGetInputFocus(x_.queries(), &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == x_.root())
        return None;
    Window parent = None, top_level = None;
    return x11_properties::FindTopLevel(x_, focus, parent, top_level) ? top_level : None;
}

void X11Foreground::Track(Window window)
{
    Unwatch(active_.window);
    if (active_.top_level != active_.window)
        Unwatch(active_.top_level);
    active_ = Known{};
    active_.window = window;
    title_asked_.Forget();
    extents_asked_.Forget();
    active_rate_ = X11ChangeRate{};
    // Watch first, then ask: a change after the answer is then heard of.
    Watch(window, kWatchActive);
    active_.look_again_ns = MonotonicNanoseconds() + kLookAgainAfter;
}

void X11Foreground::Reselect(Window window)
{
    long mask = own_mask_(window);
    if (window == active_.window)
        mask |= kWatchActive;
    else if (window == active_.top_level)
        mask |= kWatchTopLevel;
    if (window != None)
        XSelectInput(x_.display(), window, mask);
}

void X11Foreground::Watch(Window window, long mask)
{
    if (window == None)
        return;
    XSelectInput(x_.display(), window, own_mask_(window) | mask);
    // Out before the questions that follow on the other connection.
    XFlush(x_.display());
}

void X11Foreground::Unwatch(Window window)
{
    if (window != None)
        XSelectInput(x_.display(), window, own_mask_(window));
}

bool X11Foreground::Title(Window window, std::string& title)
{
    if (window == None)
        return false;
    if (window == Active() && !active_.gone) {
        if (!UpdateTitle())
            return false;
        title = active_.title;
        return active_.has_title;
    }
    Known other;
    other.window = window;
    if (!RefreshTitle(other) || !other.has_title)
        return false;
    title = other.title;
    return true;
}

bool X11Foreground::Rect(Window window, RECT& rect)
{
    if (window == None)
        return false;
    if (window == Active() && !active_.gone) {
        if (Due(active_.layout_stale, active_.layout_read_ns) && !RefreshLayout(active_, true))
            return false;
        UpdateExtents();
        rect = VisibleRect(active_);
        return true;
    }
    Known other;
    other.window = window;
    if (!RefreshLayout(other, false) || !RefreshExtents(other))
        return false;
    rect = VisibleRect(other);
    return true;
}

bool X11Foreground::UpdateTitle()
{
    Known& k = active_;
    if (!title_asked_.Asked() && Due(k.title_stale, k.title_read_ns, active_rate_.Deaf())) {
        k.title_stale = false;
        AskTitle(k.window, title_asked_);
    }
    if (title_asked_.Asked() && title_asked_.Take(!k.title_known)) {
        const std::string before = k.title;
        const bool there = TitleFrom(k, title_asked_);
        title_asked_.Forget();
        k.title_known = true;
        if (!there)
            return false;
        if (active_rate_.Deaf() && k.title != before)
            active_rate_.StopListening(MonotonicNanoseconds());
    }
    return !k.gone;
}

void X11Foreground::UpdateExtents()
{
    Known& k = active_;
    if (!extents_asked_.Asked() && Due(k.extents_stale, k.extents_read_ns, active_rate_.Deaf())) {
        k.extents_stale = false;
        AskExtents(k.window, extents_asked_);
    }
    if (extents_asked_.Asked() && extents_asked_.Take(!k.extents_known)) {
        ExtentsFrom(k, extents_asked_);
        extents_asked_.Forget();
        k.extents_known = true;
    }
}

bool X11Foreground::RefreshTitle(Known& k)
{
    k.title_stale = false;
    PropertyPair answers;
    AskTitle(k.window, answers);
    answers.Take(true);
    return TitleFrom(k, answers);
}

bool X11Foreground::RefreshExtents(Known& k)
{
    k.extents_stale = false;
    PropertyPair answers;
    AskExtents(k.window, answers);
    answers.Take(true);
    ExtentsFrom(k, answers);
    return !k.gone;
}

void X11Foreground::AskTitle(Window window, PropertyPair& questions)
{
    constexpr long kUnits = (kTitleBytes + 3) / 4;
    questions.first.Ask(x_, window, x_.atoms().net_wm_name, kUnits);
    questions.second.Ask(x_, window, XA_WM_NAME, kUnits);
}

void X11Foreground::AskExtents(Window window, PropertyPair& questions)
{
    questions.first.Ask(x_, window, x_.atoms().net_frame_extents, 4);
    questions.second.Ask(x_, window, x_.atoms().gtk_frame_extents, 4);
}

// _NET_WM_NAME in UTF-8 first, then WM_NAME as it was stored (as text of
// any of the types a title is stored in).
bool X11Foreground::TitleFrom(Known& k, const PropertyPair& answers)
{
    const X11Atoms& atoms = x_.atoms();
    k.has_title = x11_properties::ParseText(answers.first.Answer(), {atoms.utf8_string},
                                            kTitleBytes, k.title) ||
                  x11_properties::ParseText(answers.second.Answer(),
                                            {XA_STRING, atoms.utf8_string, atoms.compound_text},
                                            kTitleBytes, k.title);
    if (!k.has_title) {
        // No title, or no window (a pixmap has a geometry, but no parent).
        Window parent = None, top_level = None;
        if (!x11_properties::FindTopLevel(x_, k.window, parent, top_level))
            k.gone = true;
    }
    return !k.gone;
}

void X11Foreground::ExtentsFrom(Known& k, const PropertyPair& answers)
{
    auto read = [](const x11_properties::PropertyData& answer, x11_frame::Extents& extents) {
        std::vector<uint32_t> items;
        extents = x11_frame::Extents{};
        if (x11_properties::ParseItems32(answer, XA_CARDINAL, 4, items) && items.size() == 4)
            extents = x11_frame::Extents{true, items[0], items[1], items[2], items[3]};
    };
    read(answers.first.Answer(), k.frame_extents);
    read(answers.second.Answer(), k.gtk_extents);
}

bool X11Foreground::RefreshLayout(Known& k, bool watch)
{
    k.layout_stale = false;
    Window parent = None, top_level = None;
    if (!x11_properties::FindTopLevel(x_, k.window, parent, top_level)) {
        k.gone = true;
        return false;
    }
    if (watch && top_level != k.top_level) {
        if (k.top_level != None && k.top_level != k.window)
            Unwatch(k.top_level);
        if (top_level != k.window)
            Watch(top_level, kWatchTopLevel);
        k.look_again_ns = MonotonicNanoseconds() + kLookAgainAfter;
    }
    k.parent = parent;
    k.top_level = top_level;

    x11_properties::Geometry client;
    if (!x11_properties::ReadGeometry(x_, top_level, k.top) ||
        !x11_properties::ReadGeometry(x_, k.window, client)) {
        k.gone = true;
        return false;
    }
    k.client_width = client.width;
    k.client_height = client.height;
    k.client_border = client.border;
    k.client_dx = k.client_dy = 0;
    if (top_level != k.window &&
        !x11_properties::TranslateOrigin(x_, k.window, top_level, k.client_dx, k.client_dy)) {
        k.gone = true;
        return false;
    }
    return true;
}

RECT X11Foreground::VisibleRect(const Known& k)
{
    const x11_frame::Layout layout{k.top.x,      k.top.y,        k.top.width,
                                   k.top.height, k.top.border,   k.client_dx,
                                   k.client_dy,  k.client_width, k.client_height};
    return x11_frame::VisibleRect(layout, k.frame_extents, k.gtk_extents);
}
