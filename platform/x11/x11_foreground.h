// The foreground window as the probe sees it: which window it is, its title
// and the rectangle a person sees, kept current by X events so that asking
// again while nothing changed costs no round trip. The server is asked only
// about what an event said has changed, and when the foreground moves to
// another window.
//
// With a window manager that publishes _NET_ACTIVE_WINDOW (and proves it is
// alive through _NET_SUPPORTING_WM_CHECK) that property names the window;
// without one, the window holding the input focus, climbed to its top level.
#pragma once

#include <X11/Xlib.h>
#include <functional>
#include <string>

#include "platform/user32_gdi32/win_constants.h"
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
    // What is known of one window, and which parts need asking again.
    struct Known {
        Window window = None;
        bool gone = false;

        bool title_stale = true;
        bool has_title = false;
        std::string title;

        bool extents_stale = true;
        bool has_frame_extents = false;
        long frame_extents[4] = {}; // left, right, top, bottom
        bool has_gtk_extents = false;
        long gtk_extents[4] = {};

        bool layout_stale = true;
        Window parent = None;
        Window top_level = None;
        x11_properties::Geometry top;    // the top level, in the root
        int client_dx = 0, client_dy = 0; // the window's inside in the top level's
        int client_width = 0, client_height = 0, client_border = 0;
    };

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
    bool ewmh_ = false;        // _NET_ACTIVE_WINDOW names the foreground window
    Window manager_check_ = None;

    bool active_stale_ = true;
    Known active_;
};
