// What the probe knows of one window it follows (the window in front, or
// the one newly there): its title, its frame extents and its place, kept
// current by X events, and which of them must be asked about again. The
// questions go without waiting (see x11_questions.h); their answers fill
// this in as they come.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <xcb/xcb.h>

#include "platform/user32_gdi32/win_constants.h"
#include "platform/x11/x11_flood_guard.h"
#include "platform/x11/x11_frame_rect.h"
#include "platform/x11/x11_layout_lookup.h"
#include "platform/x11/x11_questions.h"

class X11Connection;

class X11KnownWindow {
public:
    // A window starts being watched on the connection for events, and is
    // asked about on the one for questions: the server may answer the
    // question before it takes in the watch, and a change in between would
    // go unheard. So a window newly watched (or a new top level) is asked
    // about once more, when the watch has long been taken in.
    static constexpr int64_t kLookAgainAfterNs = 100'000'000;

    // `reselect` is told of a window whose events are to be selected anew:
    // the top level, when the window moves to another one.
    X11KnownWindow(X11Connection& x, X11Questions& questions, xcb_window_t window,
                   std::function<void(xcb_window_t)> reselect);
    ~X11KnownWindow();
    X11KnownWindow(const X11KnownWindow&) = delete;
    X11KnownWindow& operator=(const X11KnownWindow&) = delete;

    // A property of the window changed.
    void ObserveProperty(xcb_atom_t atom);
    // The window or its top level moved or changed size; `synthetic` for
    // a window manager's notice (sent, in root coordinates).
    void ObserveConfigure(const xcb_configure_notify_event_t& event, bool synthetic);
    // Asks what is stale; the answers come through X11Questions::Take.
    void Refresh();
    // Whether the window is known in full (or gone). For none: whether it
    // lasted long enough to be the answer.
    bool Complete(int64_t now_ns) const;
    bool TitleAsked() const { return title_asked_.Asked(); }
    // The frame as a person sees it, in root coordinates.
    RECT VisibleRect() const;

    const xcb_window_t window;
    bool gone = false;
    int64_t look_again_ns = 0; // when to read everything once more, 0 for never
                               // (for none: when it is the answer)
    X11ChangeRate rate;
    bool title_stale = true, extents_stale = true, layout_stale = true;
    bool has_title = false;
    std::string title;
    X11Layout layout;

private:
    // Two properties asked for together (a title's two names, or the two
    // kinds of frame extents), answered in the order asked: the first's
    // answer is kept until the second's comes.
    struct PropertyPair {
        X11Questions::Ticket first = 0, second = 0;
        bool first_failed = false; // no window to ask
        bool Asked() const { return first != 0 || second != 0; }
    };

    void RefreshTitle(int64_t now_ns);
    void TitleAnswered(const x11_properties::PropertyData* wm_name);
    void RefreshExtents(int64_t now_ns);
    void RefreshLayout(int64_t now_ns);
    void LayoutFound();

    X11Connection& x_;
    X11Questions& questions_;
    std::function<void(xcb_window_t)> reselect_;

    bool title_known_ = false; // answered once at least
    X11Reread title_reread_;
    PropertyPair title_asked_;
    bool first_title_named_ = false; // _NET_WM_NAME answered with a title
    std::string first_title_;

    bool extents_known_ = false;
    X11Reread extents_reread_;
    x11_frame::Extents frame_extents_;
    x11_frame::Extents gtk_extents_;
    PropertyPair extents_asked_;

    bool layout_known_ = false;
    X11Reread layout_reread_;
    X11LayoutLookup layout_asked_;
};
