// The connection to the X server as every part of the backend sees it: the
// two connections, the root window and its size, the visual that form
// windows use, the atoms, the Shape extension and the screen's scale.
//
// Questions that wait for a reply go on a second connection of their own,
// which selects no events: on the first, a reply would arrive only after
// every event the server queued before it, and another client can make
// that queue as long as it likes. The first carries only requests that
// need no reply, and the events the program selects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <xcb/xcb.h>

#include "platform/x11/x11_write_gate.h"

struct X11Atoms {
    xcb_atom_t utf8_string;
    xcb_atom_t compound_text;
    xcb_atom_t wm_protocols;
    xcb_atom_t wm_delete_window;
    xcb_atom_t wm_locale_name;
    xcb_atom_t motif_wm_hints;
    xcb_atom_t net_supported;
    xcb_atom_t net_supporting_wm_check;
    xcb_atom_t net_active_window;
    xcb_atom_t net_wm_name;
    xcb_atom_t net_wm_pid;
    xcb_atom_t net_wm_user_time;
    xcb_atom_t net_wm_state;
    xcb_atom_t net_wm_state_above;
    xcb_atom_t net_wm_state_skip_taskbar;
    xcb_atom_t net_wm_state_skip_pager;
    xcb_atom_t net_wm_window_type;
    xcb_atom_t net_wm_window_type_normal;
    xcb_atom_t net_wm_window_type_dialog;
    xcb_atom_t net_frame_extents;
    xcb_atom_t gtk_frame_extents;
    xcb_atom_t walkers_user; // on a shown form window: the user who runs it
    xcb_atom_t walkers_stop; // the message that asks it to end
};

class X11Connection {
public:
    // Connects to `display_name` ($DISPLAY when null) and opens the second
    // connection to the same server, then asks once for the atoms, the
    // Shape extension and the resources. With `argb_visual`, the form
    // windows take a 32-bit visual with an alpha channel when the server
    // has one. Null, with the reason in `why`, when there is no server.
    static std::unique_ptr<X11Connection> Open(const char* display_name, bool argb_visual,
                                               std::string& why);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Requests without a reply, and the events.
    xcb_connection_t* Main() const { return main_; }
    // Where the questions go. A server that takes no more clients leaves
    // only the main connection to ask on.
    xcb_connection_t* Questions() const { return questions_; }
    bool SharesQuestions() const { return questions_ == main_; }

    xcb_window_t Root() const { return root_; }
    // The form windows' visual, depth and colormap (the screen's default
    // ones unless an alpha channel was asked for), and a drawable of that
    // depth for making graphics contexts.
    xcb_visualid_t Visual() const { return visual_; }
    const xcb_visualtype_t& VisualType() const { return visual_type_; }
    uint8_t Depth() const { return depth_; }
    xcb_colormap_t Colormap() const { return colormap_; }
    xcb_drawable_t DepthDrawable() const { return depth_drawable_; }
    // The screen's own visual and depth, for a plain window (the message box).
    xcb_visualid_t RootVisual() const { return root_visual_; }
    uint8_t RootDepth() const { return root_depth_; }
    // Whether pixels carry an alpha byte, which must be opaque.
    bool HasAlpha() const { return depth_ == 32; }
    const X11Atoms& atoms() const { return atoms_; }
    // The image format of `depth` the server takes pixels in.
    uint8_t BitsPerPixel(uint8_t depth) const;
    bool ImageLsbFirst() const { return image_lsb_first_; }

    int RootWidth() const { return root_width_; }
    int RootHeight() const { return root_height_; }
    // The root changed size (RandR); taken from its ConfigureNotify.
    void RootResized(int width, int height);

    // Screen pixels per pixel the program sees: from Xft.dpi, as a display
    // scaled for its DPI enlarges a program that does not know of DPI, so
    // that the figures keep their size to the eye.
    int Scale() const { return scale_; }

    bool HasShape() const { return shape_opcode_ != 0; }
    // The Shape extension's major opcode (0 without the extension).
    uint8_t ShapeOpcode() const { return shape_opcode_; }

    // Whether the main connection's requests can be written without
    // waiting for the server to read.
    X11WriteGate& WriteGate() { return gate_; }
    // Sends what the main connection holds, and ends the program if the
    // connection is gone.
    void Flush();
    // The largest request the server takes, in bytes.
    uint32_t MaximumRequestBytes() const { return maximum_request_bytes_; }
    // A new id for a window, pixmap or graphics context.
    uint32_t NewId() const { return xcb_generate_id(main_); }

    // Requests sent on the main connection so far (for measuring; asking
    // costs one request of its own).
    uint64_t RequestsSent();

private:
    X11Connection(xcb_connection_t* main, int screen_number, std::string display_name);
    bool Start(bool argb_visual);

    xcb_connection_t* main_;
    xcb_connection_t* questions_ = nullptr;
    std::string display_name_;
    int screen_number_;
    const xcb_setup_t* setup_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_visualid_t visual_ = 0;
    xcb_visualtype_t visual_type_{};
    uint8_t depth_ = 24;
    xcb_colormap_t colormap_ = XCB_NONE;
    xcb_drawable_t depth_drawable_ = XCB_NONE;
    bool own_colormap_ = false;
    xcb_visualid_t root_visual_ = 0;
    uint8_t root_depth_ = 24;
    bool image_lsb_first_ = true;
    X11Atoms atoms_{};
    int root_width_ = 0;
    int root_height_ = 0;
    int scale_ = 1;
    uint8_t shape_opcode_ = 0;
    uint32_t maximum_request_bytes_ = 0;
    X11WriteGate gate_;
    uint64_t requests_sent_ = 0; // as of the last count
    uint64_t counts_ = 0;        // the requests counting itself took
};

// round(Xft.dpi / 96), at least 1, from the server's resource string (as
// xrdb sets it); 1 without one.
int ScaleOfResources(const char* resources);
