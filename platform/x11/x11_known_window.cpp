#include "platform/x11/x11_known_window.h"

#include <utility>
#include <vector>

#include "platform/shared/monotonic_clock.h"
#include "platform/x11/x11_connection.h"

namespace {

// Titles are answered with at most 127 bytes; one more tells a longer
// title from one that fits exactly.
constexpr uint32_t kTitleBytes = 128;

} // namespace

X11KnownWindow::X11KnownWindow(X11Connection& x, X11Questions& questions, xcb_window_t known,
                               std::function<void(xcb_window_t)> reselect)
    : window(known), x_(x), questions_(questions), reselect_(std::move(reselect)),
      layout_asked_(questions)
{
}

X11KnownWindow::~X11KnownWindow()
{
    questions_.Forget(title_asked_.first);
    questions_.Forget(title_asked_.second);
    questions_.Forget(extents_asked_.first);
    questions_.Forget(extents_asked_.second);
}

void X11KnownWindow::ObserveProperty(xcb_atom_t atom)
{
    const X11Atoms& atoms = x_.atoms();
    if (atom == atoms.net_wm_name || atom == XCB_ATOM_WM_NAME)
        title_stale = true;
    else if (atom == atoms.net_frame_extents || atom == atoms.gtk_frame_extents)
        extents_stale = true;
}

void X11KnownWindow::ObserveConfigure(const xcb_configure_notify_event_t& e, bool synthetic)
{
    if (e.event != e.window || window == XCB_NONE)
        return; // a child's move, heard through SubstructureNotify
    const bool top_level = layout_known_ && e.window == layout.top_level;
    if (e.window != window && !top_level)
        return;
    // A place asked for may have been answered before this move.
    if (layout_asked_.Busy() && !synthetic)
        layout_stale = true;
    if (!layout_known_ || layout_stale)
        return;
    X11Layout& l = layout;
    if (top_level) {
        l.top = X11Geometry{e.x, e.y, e.width, e.height, e.border_width};
        if (l.top_level == window)
            l.client = l.top;
    } else {
        l.client.width = e.width;
        l.client.height = e.height;
        l.client.border = e.border_width;
        // A window manager's synthetic notice gives root coordinates; the
        // top level's own notice tells the frame's place. A real one moved
        // the window inside its parent.
        if (!synthetic) {
            if (l.parent == l.top_level) {
                l.client_dx = e.x + e.border_width;
                l.client_dy = e.y + e.border_width;
            } else {
                layout_stale = true;
            }
        }
    }
}

bool X11KnownWindow::Complete(int64_t now_ns) const
{
    if (window == XCB_NONE)
        return now_ns >= look_again_ns;
    return gone || (title_known_ && extents_known_ && layout_known_);
}

void X11KnownWindow::Refresh()
{
    if (window == XCB_NONE || gone)
        return;
    const int64_t now = MonotonicNanoseconds();
    if (look_again_ns != 0 && now >= look_again_ns) {
        look_again_ns = 0;
        title_stale = extents_stale = layout_stale = true;
    }
    RefreshTitle(now);
    RefreshExtents(now);
    RefreshLayout(now);
}

// _NET_WM_NAME in UTF-8 first, then WM_NAME as it was stored (as text of
// any of the types a title is stored in).
void X11KnownWindow::RefreshTitle(int64_t now)
{
    if (title_asked_.Asked() || !title_reread_.Due(title_stale, now, rate.Deaf()))
        return;
    title_stale = false;
    constexpr uint32_t kUnits = (kTitleBytes + 3) / 4;
    title_asked_.first = questions_.AskProperty(
        window, x_.atoms().net_wm_name, kUnits,
        [this](const x11_properties::PropertyData* net_wm_name) {
            title_asked_.first = 0;
            title_asked_.first_failed = !net_wm_name;
            first_title_named_ =
                net_wm_name && x11_properties::ParseText(*net_wm_name, {x_.atoms().utf8_string},
                                                         kTitleBytes, first_title_);
        });
    title_asked_.second = questions_.AskProperty(
        window, XCB_ATOM_WM_NAME, kUnits, [this](const x11_properties::PropertyData* wm_name) {
            title_asked_.second = 0;
            TitleAnswered(wm_name);
        });
}

void X11KnownWindow::TitleAnswered(const x11_properties::PropertyData* wm_name)
{
    const X11Atoms& atoms = x_.atoms();
    const std::string before = std::move(title);
    title.clear();
    if (first_title_named_)
        title = std::move(first_title_);
    has_title = first_title_named_ ||
                (wm_name && x11_properties::ParseText(
                                *wm_name, {XCB_ATOM_STRING, atoms.utf8_string, atoms.compound_text},
                                kTitleBytes, title));
    // No window (or a pixmap, which has no properties): both questions failed.
    if (title_asked_.first_failed && !wm_name)
        gone = true;
    if (title_known_ && rate.Deaf() && title != before)
        rate.StopListening(MonotonicNanoseconds());
    title_known_ = true;
}

void X11KnownWindow::RefreshExtents(int64_t now)
{
    if (extents_asked_.Asked() || !extents_reread_.Due(extents_stale, now, rate.Deaf()))
        return;
    extents_stale = false;
    auto read = [](const x11_properties::PropertyData* answer, x11_frame::Extents& extents) {
        std::vector<uint32_t> items;
        extents = x11_frame::Extents{};
        if (answer && x11_properties::ParseItems32(*answer, XCB_ATOM_CARDINAL, 4, items) &&
            items.size() == 4)
            extents = x11_frame::Extents{true, items[0], items[1], items[2], items[3]};
    };
    extents_asked_.first =
        questions_.AskProperty(window, x_.atoms().net_frame_extents, 4,
                               [this, read](const x11_properties::PropertyData* answer) {
                                   extents_asked_.first = 0;
                                   extents_asked_.first_failed = !answer;
                                   read(answer, frame_extents_);
                               });
    extents_asked_.second =
        questions_.AskProperty(window, x_.atoms().gtk_frame_extents, 4,
                               [this, read](const x11_properties::PropertyData* answer) {
                                   extents_asked_.second = 0;
                                   read(answer, gtk_extents_);
                                   if (extents_asked_.first_failed && !answer)
                                       gone = true;
                                   extents_known_ = true;
                               });
}

void X11KnownWindow::RefreshLayout(int64_t now)
{
    if (layout_asked_.Busy() || !layout_reread_.Due(layout_stale, now))
        return;
    layout_stale = false;
    layout_asked_.Start(window, [this](X11LayoutLookup::Outcome outcome) {
        if (outcome == X11LayoutLookup::Outcome::kGone)
            gone = true;
        else
            LayoutFound();
    });
}

void X11KnownWindow::LayoutFound()
{
    const xcb_window_t top_before = layout.top_level;
    layout = layout_asked_.Found();
    layout_known_ = true;
    if (layout.top_level == top_before)
        return;
    if (top_before != window)
        reselect_(top_before);
    if (layout.top_level != window)
        reselect_(layout.top_level);
    look_again_ns = MonotonicNanoseconds() + kLookAgainAfterNs;
}

RECT X11KnownWindow::VisibleRect() const
{
    const X11Layout& l = layout;
    const x11_frame::Layout frame{l.top.x,      l.top.y,        l.top.width,
                                  l.top.height, l.top.border,   l.client_dx,
                                  l.client_dy,  l.client.width, l.client.height};
    return x11_frame::VisibleRect(frame, frame_extents_, gtk_extents_);
}
