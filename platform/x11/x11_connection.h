// The connection to the X server as every part of the backend sees it: the
// display, the root window and its size, the visual that form windows use,
// the atoms, and which extensions the server offers.
//
// Questions that wait for a reply go on a second connection of their own,
// which selects no events: on the first, a reply would arrive only after
// every event the server queued before it, and another client can make
// that queue as long as it likes. The first carries only requests that
// need no reply, and the events the program selects.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>

#include "platform/x11/x11_outflow.h"

struct X11Atoms {
    Atom utf8_string;
    Atom compound_text;
    Atom wm_protocols;
    Atom wm_delete_window;
    Atom motif_wm_hints;
    Atom net_supported;
    Atom net_supporting_wm_check;
    Atom net_active_window;
    Atom net_wm_name;
    Atom net_wm_pid;
    Atom net_wm_user_time;
    Atom net_wm_state;
    Atom net_wm_state_above;
    Atom net_wm_state_skip_taskbar;
    Atom net_wm_state_skip_pager;
    Atom net_wm_window_type;
    Atom net_wm_window_type_normal;
    Atom net_wm_window_type_dialog;
    Atom net_frame_extents;
    Atom gtk_frame_extents;
    Atom walkers_user; // on a shown form window: the user who runs it
    Atom walkers_stop; // the message that asks it to end
};

class X11Connection {
public:
    // Takes the display (it stays the caller's to close), opens the second
    // connection to the same server (closed with this), and asks the server
    // once for the atoms and the extensions. With `argb_visual`, the form
    // windows take a 32-bit visual with an alpha channel when the server has
    // one.
    explicit X11Connection(Display* display, bool argb_visual = false);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* display() const { return display_; }
    // Where the questions go. A server that takes no more clients leaves
    // only the first connection to ask on.
    Display* queries() const { return queries_; }
    int screen() const { return screen_; }
    Window root() const { return root_; }
    // The form windows' visual, depth and colormap (the screen's default
    // ones unless an alpha channel was asked for), and a drawable of that
    // depth for making graphics contexts.
    Visual* visual() const { return visual_; }
    int depth() const { return depth_; }
    Colormap colormap() const { return colormap_; }
    Drawable DepthDrawable() const { return depth_drawable_; }
    // Whether pixels carry an alpha byte, which must be opaque.
    bool HasAlpha() const { return depth_ == 32; }
    const X11Atoms& atoms() const { return atoms_; }

    int RootWidth() const { return root_width_; }
    int RootHeight() const { return root_height_; }
    // The root changed size (RandR); taken from its ConfigureNotify.
    void RootResized(int width, int height);

    // Screen pixels per pixel the program sees: from Xft.dpi, as a display
    // scaled for its DPI enlarges a program that does not know of DPI, so
    // that the figures keep their size to the eye.
    int Scale() const { return scale_; }

    bool HasShape() const { return shape_event_base_ >= 0; }

    // Whether the first connection's requests can be written without
    // waiting for the server to read.
    X11Outflow& Outflow() { return outflow_; }

    // Questions that have a reply, counted: the probe's, whose answers are
    // taken later, and those of `walkers --stop` (the atoms and extensions
    // asked for here, at the start, are not counted). And the time spent
    // waiting for replies: the probe's first answers, and --stop's.
    uint64_t RoundTrips() const { return round_trips_; }
    int64_t RoundTripNanoseconds() const { return round_trip_ns_; }
    // A question sent whose answer is taken later.
    void CountAsked() { ++round_trips_; }
    // Answers taken so far: what the probe answers may have changed.
    uint64_t Answered() const { return answered_; }
    void CountAnswered() { ++answered_; }
    // Lives while the program waits for one reply (counted unless it was
    // counted when asked).
    class RoundTrip {
    public:
        explicit RoundTrip(X11Connection& x, bool count = true);
        ~RoundTrip();
        RoundTrip(const RoundTrip&) = delete;
        RoundTrip& operator=(const RoundTrip&) = delete;

    private:
        X11Connection& x_;
        int64_t start_ns_;
    };

private:
    Display* display_;
    X11Outflow outflow_;
    Display* queries_;
    int screen_;
    Window root_;
    Visual* visual_;
    int depth_;
    Colormap colormap_;
    Drawable depth_drawable_;
    X11Atoms atoms_{};
    int root_width_;
    int root_height_;
    int scale_ = 1;
    int shape_event_base_ = -1;
    uint64_t round_trips_ = 0;
    uint64_t answered_ = 0;
    int64_t round_trip_ns_ = 0;
};

// round(Xft.dpi / 96), at least 1, from the server's resource string (as
// xrdb sets it); 1 without one.
int ScaleOfResources(const char* resources);
