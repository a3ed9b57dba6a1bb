#include "platform/x11/x11_connection.h"
#include "platform/shared/monotonic_clock.h"

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

X11Connection::X11Connection(Display* display, bool argb_visual)
    : display_(display), outflow_(display), queries_(XOpenDisplay(DisplayString(display))),
      screen_(DefaultScreen(display)), root_(RootWindow(display, screen_)),
      visual_(DefaultVisual(display, screen_)), depth_(DefaultDepth(display, screen_)),
      colormap_(DefaultColormap(display, screen_)), depth_drawable_(root_),
      root_width_(DisplayWidth(display, screen_)), root_height_(DisplayHeight(display, screen_))
{
    // One request for every atom: the names and the fields in one table.
    struct Name {
        const char* text;
        Atom X11Atoms::*field;
    };
    static const Name names[] = {
        {"UTF8_STRING", &X11Atoms::utf8_string},
        {"COMPOUND_TEXT", &X11Atoms::compound_text},
        {"WM_PROTOCOLS", &X11Atoms::wm_protocols},
        {"WM_DELETE_WINDOW", &X11Atoms::wm_delete_window},
        {"_MOTIF_WM_HINTS", &X11Atoms::motif_wm_hints},
        {"_NET_SUPPORTED", &X11Atoms::net_supported},
        {"_NET_SUPPORTING_WM_CHECK", &X11Atoms::net_supporting_wm_check},
        {"_NET_ACTIVE_WINDOW", &X11Atoms::net_active_window},
        {"_NET_WM_NAME", &X11Atoms::net_wm_name},
        {"_NET_WM_PID", &X11Atoms::net_wm_pid},
        {"_NET_WM_USER_TIME", &X11Atoms::net_wm_user_time},
        {"_NET_WM_STATE", &X11Atoms::net_wm_state},
        {"_NET_WM_STATE_ABOVE", &X11Atoms::net_wm_state_above},
        {"_NET_WM_STATE_SKIP_TASKBAR", &X11Atoms::net_wm_state_skip_taskbar},
        {"_NET_WM_STATE_SKIP_PAGER", &X11Atoms::net_wm_state_skip_pager},
        {"_NET_WM_WINDOW_TYPE", &X11Atoms::net_wm_window_type},
        {"_NET_WM_WINDOW_TYPE_NORMAL", &X11Atoms::net_wm_window_type_normal},
        {"_NET_WM_WINDOW_TYPE_DIALOG", &X11Atoms::net_wm_window_type_dialog},
        {"_NET_FRAME_EXTENTS", &X11Atoms::net_frame_extents},
        {"_GTK_FRAME_EXTENTS", &X11Atoms::gtk_frame_extents},
        {"_WALKERS_USER", &X11Atoms::walkers_user},
        {"_WALKERS_STOP", &X11Atoms::walkers_stop},
    };
    constexpr int count = int(std::size(names));
    char* texts[count];
    Atom values[count];
    for (int i = 0; i < count; ++i)
        texts[i] = const_cast<char*>(names[i].text);
    XInternAtoms(display_, texts, count, False, values);
    for (int i = 0; i < count; ++i)
        atoms_.*names[i].field = values[i];

    int error_base = 0;
    int shape_event_base = 0;
    scale_ = ScaleOfResources(XResourceManagerString(display_));
    if (XShapeQueryExtension(display_, &shape_event_base, &error_base))
        shape_event_base_ = shape_event_base;
    if (!queries_) {
        queries_ = display_;
        outflow_.KeepNotes();
    }
    XVisualInfo argb{};
    if (argb_visual && depth_ != 32 && XMatchVisualInfo(display_, screen_, 32, TrueColor, &argb)) {
        visual_ = argb.visual;
        depth_ = 32;
        colormap_ = XCreateColormap(display_, root_, visual_, AllocNone);
        depth_drawable_ = XCreatePixmap(display_, root_, 1, 1, 32);
    }
}

X11Connection::~X11Connection()
{
    if (depth_drawable_ != root_) {
        XFreePixmap(display_, depth_drawable_);
        XFreeColormap(display_, colormap_);
    }
    if (queries_ != display_)
        XCloseDisplay(queries_);
}

X11Connection::RoundTrip::RoundTrip(X11Connection& x, bool count)
    : x_(x), start_ns_(MonotonicNanoseconds())
{
    if (count)
        ++x_.round_trips_;
}

X11Connection::RoundTrip::~RoundTrip() { x_.round_trip_ns_ += MonotonicNanoseconds() - start_ns_; }

int ScaleOfResources(const char* resources)
{
    constexpr std::string_view kName = "Xft.dpi:";
    const std::string_view text = resources ? resources : "";
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string_view entry = text.substr(line, end - line);
        line = end + 1;
        if (!entry.starts_with(kName))
            continue;
        const double dpi = std::strtod(std::string(entry.substr(kName.size())).c_str(), nullptr);
        if (!(dpi > 0) || dpi > 96.0 * 16)
            return 1;
        return std::max(1, int(std::lround(dpi / 96.0)));
    }
    return 1;
}

void X11Connection::RootResized(int width, int height)
{
    root_width_ = width;
    root_height_ = height;
}
