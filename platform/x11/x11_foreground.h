// The foreground window as the probe sees it: which window it is, its title
// and the rectangle a person sees, kept current by X events so that asking
// again while nothing changed costs no round trip. The server is asked only
// about what an event said has changed, and when the foreground moves to
// another window.
//
// Another client may change a property as fast as the server lets it: what
// an event marks stale is read again at most once per interval, so a flood
// of changes costs a few round trips a tick, not one per question.
//
// With a window manager that publishes _NET_ACTIVE_WINDOW (and proves it is
// alive through _NET_SUPPORTING_WM_CHECK) that property names the window;
// without one, the window holding the input focus, climbed to its top level.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "platform/user32_gdi32/win_constants.h"
#include "platform/x11/x11_change_rate.h"
#include "platform/x11/x11_frame_rect.h"
#include "platform/x11/x11_properties.h"
#include "platform/x11/x11_property_request.h"

class X11Connection;

class X11Foreground {
public:
    // `own_mask` tells the event mask this client keeps on a window for its
    // own sake (its form windows, the root); watching a window adds to it.
    X11Foreground(X11Connection& x, std::function<long(Window)> own_mask);
    X11Foreground(const X11Foreground&) = delete;
    X11Foreground& operator=(const X11Foreground&) = delete;

    // Every event passes here once, before anything else acts on it.
    void Observe(const XEvent& event);

    // The foreground window, None for none.
    Window Active();
    // Whether a window manager that follows the EWMH is running (as of the
    // last question; events say when to ask again).
    bool ManagerRunning() const { return manager_check_ != None; }
    // Selects the window's events anew: its own mask, and what watching it
    // adds if it is watched.
    void Reselect(Window window);
    // The title (at most `max_bytes` bytes); false for a window that is gone.
    bool Title(Window window, std::string& title);
    // The frame as a person sees it, in root coordinates, right and bottom
    // exclusive; false for a window that is gone.
    bool Rect(Window window, RECT& rect);
    // How often the root was listened to again after a flood (measuring).
    uint64_t RootListenedAgain() const { return root_rate_.ListenedAgain(); }

private:
    // When something was last read: long enough ago that it is due.
    static constexpr int64_t kNeverRead = std::numeric_limits<int64_t>::min() / 2;

    // What is known of one window, and which parts need asking again.
    struct Known {
        Window window = None;
        bool gone = false;
        int64_t look_again_ns = 0; // when to read everything once more, 0 for never

        bool title_stale = true;
        bool title_known = false; // answered once at least
        int64_t title_read_ns = kNeverRead;
        bool has_title = false;
        std::string title;

        bool extents_stale = true;
        bool extents_known = false;
        int64_t extents_read_ns = kNeverRead;
        x11_frame::Extents frame_extents;
        x11_frame::Extents gtk_extents;

        bool layout_stale = true;
        int64_t layout_read_ns = kNeverRead;
        Window parent = None;
        Window top_level = None;
        x11_properties::Geometry top;    // the top level, in the root
        int client_dx = 0, client_dy = 0; // the window's inside in the top level's
        int client_width = 0, client_height = 0, client_border = 0;
    };

    // Two properties asked for together: a title's two names, or the two
    // kinds of frame extents.
    struct PropertyPair {
        x11_properties::PropertyRequest first, second;
        bool Asked() const { return first.Asked(); }
        // True once both answers came (waiting for them if `wait`).
        bool Take(bool wait)
        {
            const bool first_came = first.Take(wait);
            return second.Take(wait) && first_came;
        }
        void Forget()
        {
            first.Forget();
            second.Forget();
        }
    };

    // Whether something stale may be read again now; if so, notes the read.
    // While a window is not listened to, its state is always stale and read
    // again at a slower pace.
    static bool Due(bool stale, int64_t& read_ns, bool deaf = false,
                    int64_t interval = 10'000'000);
    // Stops or resumes listening to property changes on the root and on the
    // window in front, as their rate tells.
    void ObserveRate(Window window, Time time);
    void ListenAgainWhenDue();
    void SelectProperties(Window window, bool listen);
    void RefreshManager();
    // Asks the server which window is in front, and waits for the answer.
    Window AskActive();
    Window ActiveFrom(const x11_properties::PropertyData& answer) const;
    // Follows the window in front to `now`.
    void Follow(Window now);
    void Track(Window window);
    void Watch(Window window, long mask);
    void Unwatch(Window window);
    bool RefreshTitle(Known& known);
    bool RefreshExtents(Known& known);
    void AskTitle(Window window, PropertyPair& questions);
    void AskExtents(Window window, PropertyPair& questions);
    // What the answers say; false for a window that is gone.
    bool TitleFrom(Known& known, const PropertyPair& answers);
    void ExtentsFrom(Known& known, const PropertyPair& answers);
    // The window in front's title and extents: asked for when stale, taken
    // when answered. Only what was never known is waited for.
    bool UpdateTitle();
    void UpdateExtents();
    bool RefreshLayout(Known& known, bool watch);
    static RECT VisibleRect(const Known& known);
    void ObserveConfigure(const XConfigureEvent& event);

    X11Connection& x_;
    std::function<long(Window)> own_mask_;

    bool manager_stale_ = true;
    int64_t manager_read_ns_ = kNeverRead;
    bool ewmh_ = false;        // _NET_ACTIVE_WINDOW names the foreground window
    Window manager_check_ = None;

    bool active_stale_ = true;
    bool ewmh_answered_ = false; // the manager named a window (or none) since it came
    x11_properties::PropertyRequest active_asked_;
    int64_t active_read_ns_ = kNeverRead;
    X11ChangeRate root_rate_;
    X11ChangeRate active_rate_;
    Known active_;
    PropertyPair title_asked_;
    PropertyPair extents_asked_;
};
