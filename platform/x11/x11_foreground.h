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

private:
    // When something was last read: long enough ago that it is due.
    static constexpr int64_t kNeverRead = std::numeric_limits<int64_t>::min() / 2;

    // What is known of one window, and which parts need asking again.
    struct Known {
        Window window = None;
        bool gone = false;
        int64_t look_again_ns = 0; // when to read everything once more, 0 for never

        bool title_stale = true;
        int64_t title_read_ns = kNeverRead;
        bool has_title = false;
        std::string title;

        bool extents_stale = true;
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
    // Asks the server which window is in front.
    Window AskActive();
    void Track(Window window);
    void Watch(Window window, long mask);
    void Unwatch(Window window);
    bool RefreshTitle(Known& known);
    bool RefreshExtents(Known& known);
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
    int64_t active_read_ns_ = kNeverRead;
    X11ChangeRate root_rate_;
    X11ChangeRate active_rate_;
    Known active_;
};
