#include "platform/x11/x11_layout_lookup.h"

#include <utility>

namespace {

X11Geometry GeometryOf(const xcb_get_geometry_reply_t& reply)
{
    return X11Geometry{reply.x, reply.y, reply.width, reply.height, reply.border_width};
}

} // namespace

void X11LayoutLookup::Start(xcb_window_t window, std::function<void(Outcome)> ended)
{
    Forget();
    ended_ = std::move(ended);
    asking_ = true;
    window_ = window;
    found_ = X11Layout{};
    client_ = Answer::kAwaited;
    client_asked_ = questions_.AskGeometry(window, [this](const xcb_get_geometry_reply_t* reply) {
        client_asked_ = 0;
        client_ = reply ? Answer::kCame : Answer::kNone;
        if (reply)
            client_geometry_ = GeometryOf(*reply);
        Answered();
    });
    AskAbout(window);
}

void X11LayoutLookup::AskAbout(xcb_window_t level)
{
    level_ = level;
    questions_.Forget(tree_asked_);
    questions_.Forget(geometry_asked_);
    questions_.Forget(place_asked_);
    tree_ = geometry_ = place_ = Answer::kAwaited;
    tree_asked_ = questions_.AskTree(level, [this](const xcb_query_tree_reply_t* reply) {
        tree_asked_ = 0;
        tree_ = reply ? Answer::kCame : Answer::kNone;
        if (reply) {
            level_parent_ = reply->parent;
            level_root_ = reply->root;
        }
        Answered();
    });
    if (level == window_)
        return; // the window's own geometry is asked for once
    geometry_asked_ = questions_.AskGeometry(level, [this](const xcb_get_geometry_reply_t* reply) {
        geometry_asked_ = 0;
        geometry_ = reply ? Answer::kCame : Answer::kNone;
        if (reply)
            level_geometry_ = GeometryOf(*reply);
        Answered();
    });
    place_asked_ =
        questions_.AskPlace(window_, level, [this](const xcb_translate_coordinates_reply_t* reply) {
            place_asked_ = 0;
            place_ = reply ? Answer::kCame : Answer::kNone;
            if (reply) {
                place_x_ = reply->dst_x;
                place_y_ = reply->dst_y;
            }
            Answered();
        });
}

void X11LayoutLookup::Answered()
{
    if (tree_ == Answer::kAwaited)
        return;
    if (tree_ == Answer::kNone)
        return level_ == window_ ? End(Outcome::kGone) : StartOver();
    if (level_ == window_)
        found_.parent = level_parent_;
    if (level_parent_ != level_root_ && level_parent_ != XCB_NONE)
        return AskAbout(level_parent_);
    // The level is the top level: its answers, and the window's own.
    const bool top_is_window = level_ == window_;
    if (client_ == Answer::kAwaited ||
        (!top_is_window && (geometry_ == Answer::kAwaited || place_ == Answer::kAwaited)))
        return;
    if (client_ == Answer::kNone)
        return End(Outcome::kGone);
    found_.top_level = level_;
    found_.client = client_geometry_;
    if (top_is_window) {
        found_.top = found_.client;
        return End(Outcome::kFound);
    }
    if (geometry_ == Answer::kNone || place_ == Answer::kNone)
        return StartOver();
    found_.top = level_geometry_;
    found_.client_dx = place_x_;
    found_.client_dy = place_y_;
    End(Outcome::kFound);
}

// An ancestor went while it was asked about: a window manager that ends
// takes its frames with it, and one that starts puts the window in a new
// frame. The window itself is still there; where it is now is asked anew.
void X11LayoutLookup::StartOver() { Start(window_, std::move(ended_)); }

void X11LayoutLookup::End(Outcome outcome)
{
    std::function<void(Outcome)> ended = std::move(ended_);
    Forget();
    // Told last: it may start another lookup.
    ended(outcome);
}

void X11LayoutLookup::Forget()
{
    asking_ = false;
    ended_ = nullptr;
    questions_.Forget(client_asked_);
    questions_.Forget(tree_asked_);
    questions_.Forget(geometry_asked_);
    questions_.Forget(place_asked_);
}
