#include "platform/x11/x11_foreground.h"

#include <X11/Xatom.h>
#include <algorithm>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace {

// Titles are answered with at most 127 bytes; one more tells a longer
// title from one that fits exactly.
constexpr long kTitleBytes = 128;

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

void X11Foreground::RefreshManager()
{
    manager_stale_ = false;
    const X11Atoms& atoms = x_.atoms();
    const Window previous_check = manager_check_;
    ewmh_ = false;
    manager_check_ = None;

    // A live manager keeps a window naming itself in _NET_SUPPORTING_WM_CHECK
    // on both the root and that window; one that died leaves the root's
    // properties behind, naming a window that is gone.
    std::vector<unsigned long> items;
    if (x11_properties::ReadLongs(x_, x_.root(), atoms.net_supporting_wm_check, XA_WINDOW, 1,
                                  items) &&
        !items.empty()) {
        const Window check = items[0];
        if (check != previous_check)
            Watch(check, StructureNotifyMask);
        if (x11_properties::ReadLongs(x_, check, atoms.net_supporting_wm_check, XA_WINDOW, 1,
                                      items) &&
            !items.empty() && items[0] == check) {
            manager_check_ = check;
        }
    }
    if (previous_check != None && previous_check != manager_check_)
        Unwatch(previous_check);
    if (manager_check_ == None)
        return;

    if (x11_properties::ReadLongs(x_, x_.root(), atoms.net_supported, XA_ATOM, 4096, items))
        ewmh_ = std::find(items.begin(), items.end(), atoms.net_active_window) != items.end();
}

Window X11Foreground::Active()
{
    if (manager_stale_)
        RefreshManager();
    if (active_stale_) {
        active_stale_ = false;
        const Window now = AskActive();
        // The same window, still there: what is known of it stays.
        if (now != active_.window) {
            Track(now);
            // The focus is heard of leaving only once the new window is
            // watched: if it left meanwhile, ask again next time.
            if (!ewmh_ && AskActive() != now)
                active_stale_ = true;
        }
    }
    return active_.gone ? None : active_.window;
}

Window X11Foreground::AskActive()
{
    if (ewmh_) {
        std::vector<unsigned long> items;
        if (x11_properties::ReadLongs(x_, x_.root(), x_.atoms().net_active_window, XA_WINDOW, 1,
                                      items) &&
            !items.empty())
            return items[0];
        return None;
    }
    Window focus = None;
    int revert = 0;
    x_.CountRoundTrip();
    XGetInputFocus(x_.display(), &focus, &revert);
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
    // Watch first, then ask: a change after the answer is then heard of.
    Watch(window, kWatchActive);
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
    if (window != None)
        XSelectInput(x_.display(), window, own_mask_(window) | mask);
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
        if (active_.title_stale && !RefreshTitle(active_))
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
        if (active_.layout_stale && !RefreshLayout(active_, true))
            return false;
        if (active_.extents_stale && !RefreshExtents(active_))
            return false;
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

// _NET_WM_NAME in UTF-8 first, then WM_NAME as it was stored.
bool X11Foreground::RefreshTitle(Known& k)
{
    k.title_stale = false;
    k.has_title =
        x11_properties::ReadText(x_, k.window, x_.atoms().net_wm_name, x_.atoms().utf8_string,
                                 kTitleBytes, k.title) ||
        x11_properties::ReadText(x_, k.window, XA_WM_NAME, AnyPropertyType, kTitleBytes, k.title);
    if (!k.has_title) {
        // No title, or no window: the geometry tells which.
        x11_properties::Geometry probe;
        if (!x11_properties::ReadGeometry(x_, k.window, probe))
            k.gone = true;
    }
    return !k.gone;
}

bool X11Foreground::RefreshExtents(Known& k)
{
    k.extents_stale = false;
    const X11Atoms& atoms = x_.atoms();
    std::vector<unsigned long> items;
    k.has_frame_extents =
        x11_properties::ReadLongs(x_, k.window, atoms.net_frame_extents, XA_CARDINAL, 4, items) &&
        items.size() == 4;
    for (int i = 0; i < 4 && k.has_frame_extents; ++i)
        k.frame_extents[i] = long(items[i]);
    k.has_gtk_extents =
        x11_properties::ReadLongs(x_, k.window, atoms.gtk_frame_extents, XA_CARDINAL, 4, items) &&
        items.size() == 4;
    for (int i = 0; i < 4 && k.has_gtk_extents; ++i)
        k.gtk_extents[i] = long(items[i]);
    return !k.gone;
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

// The frame a person sees: the window manager's decorations around the
// window (_NET_FRAME_EXTENTS, else its frame window), less the shadows a
// client draws around itself (_GTK_FRAME_EXTENTS).
RECT X11Foreground::VisibleRect(const Known& k)
{
    const x11_properties::Geometry& top = k.top;
    RECT rect;
    if (k.has_frame_extents) {
        const long left = top.x + top.border + k.client_dx;
        const long y = top.y + top.border + k.client_dy;
        rect = RECT{LONG(left - k.frame_extents[0]), LONG(y - k.frame_extents[2]),
                    LONG(left + k.client_width + k.frame_extents[1]),
                    LONG(y + k.client_height + k.frame_extents[3])};
    } else {
        rect = RECT{top.x, top.y, top.x + top.width + 2 * top.border,
                    top.y + top.height + 2 * top.border};
    }
    if (k.has_gtk_extents) {
        rect.left += LONG(k.gtk_extents[0]);
        rect.right -= LONG(k.gtk_extents[1]);
        rect.top += LONG(k.gtk_extents[2]);
        rect.bottom -= LONG(k.gtk_extents[3]);
    }
    return rect;
}
