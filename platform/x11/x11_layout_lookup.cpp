#include "platform/x11/x11_layout_lookup.h"

#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

namespace {

X11Geometry GeometryOf(const xcb_get_geometry_reply_t& reply)
{
    return X11Geometry{reply.x, reply.y, reply.width, reply.height, reply.border_width};
}

} // namespace

void X11LayoutLookup::Start(X11Connection& x, Window window)
{
    Forget();
    x_ = &x;
    asking_ = true;
    window_ = window;
    found_ = X11Layout{};
    xcb_connection_t* connection = XGetXCBConnection(x.queries());
    client_.Sent(x, xcb_get_geometry(connection, xcb_drawable_t(window)).sequence);
    AskAbout(window);
}

void X11LayoutLookup::AskAbout(Window level)
{
    level_ = level;
    xcb_connection_t* connection = XGetXCBConnection(x_->queries());
    tree_.Sent(*x_, xcb_query_tree(connection, xcb_window_t(level)).sequence);
    geometry_.Forget();
    place_.Forget();
    if (level == window_)
        return; // the window's own geometry is asked for once
    geometry_.Sent(*x_, xcb_get_geometry(connection, xcb_drawable_t(level)).sequence);
    place_.Sent(*x_, xcb_translate_coordinates(connection, xcb_window_t(window_),
                                               xcb_window_t(level), 0, 0)
                         .sequence);
}

X11LayoutLookup::Progress X11LayoutLookup::Advance()
{
    if (!asking_)
        return Progress::kIdle;
    if (!tree_.Take())
        return Progress::kAsking;
    const auto* tree = tree_.As<xcb_query_tree_reply_t>();
    if (!tree)
        return level_ == window_ ? End(Progress::kGone) : StartOver();
    if (level_ == window_)
        found_.parent = tree->parent;
    if (tree->parent != tree->root && tree->parent != XCB_NONE) {
        AskAbout(tree->parent);
        return Progress::kAsking;
    }
    // The level is the top level: its answers, and the window's own.
    const bool top_is_window = level_ == window_;
    if (!client_.Take() || (!top_is_window && !(geometry_.Take() && place_.Take())))
        return Progress::kAsking;
    const auto* client = client_.As<xcb_get_geometry_reply_t>();
    if (!client)
        return End(Progress::kGone);
    found_.top_level = level_;
    found_.client = GeometryOf(*client);
    if (top_is_window) {
        found_.top = found_.client;
        return End(Progress::kFound);
    }
    const auto* top = geometry_.As<xcb_get_geometry_reply_t>();
    const auto* place = place_.As<xcb_translate_coordinates_reply_t>();
    if (!top || !place)
        return StartOver();
    found_.top = GeometryOf(*top);
    found_.client_dx = place->dst_x;
    found_.client_dy = place->dst_y;
    return End(Progress::kFound);
}

// An ancestor went while it was asked about: a window manager that ends
// takes its frames with it, and one that starts puts the window in a new
// frame. The window itself is still there; where it is now is asked anew.
X11LayoutLookup::Progress X11LayoutLookup::StartOver()
{
    Start(*x_, window_);
    return Progress::kAsking;
}

X11LayoutLookup::Progress X11LayoutLookup::End(Progress progress)
{
    Forget();
    return progress;
}

void X11LayoutLookup::Forget()
{
    asking_ = false;
    client_.Forget();
    tree_.Forget();
    geometry_.Forget();
    place_.Forget();
}
