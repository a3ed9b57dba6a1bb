#include "platform/x11/x11_background_pixmap.h"

#include <algorithm>

#include "platform/x11/x11_connection.h"

namespace {

// Heights go in steps of a figure's cell, so walking on another window
// rarely needs a new pixmap.
constexpr int kRowStep = 64;

} // namespace

X11BackgroundPixmap::~X11BackgroundPixmap()
{
    if (pixmap_ != XCB_NONE)
        xcb_free_pixmap(x_.Main(), pixmap_);
}

void X11BackgroundPixmap::Fit(int window_width, int window_height, int rows)
{
    rows = std::max(rows, 1);
    const bool fits = pixmap_ != XCB_NONE && width_ == window_width && rows <= height_;
    // A pixmap left much too tall by a large shape gives the memory back.
    const bool wasteful = height_ > kRowStep && rows * 4 < height_;
    if (fits && !wasteful)
        return;
    if (pixmap_ != XCB_NONE)
        xcb_free_pixmap(x_.Main(), pixmap_); // the window keeps its own reference
    width_ = std::max(window_width, 1);
    height_ = std::clamp((rows + kRowStep - 1) / kRowStep * kRowStep, 1, std::max(window_height, 1));
    height_ = std::max(height_, rows);
    pixmap_ = x_.NewId();
    xcb_create_pixmap(x_.Main(), x_.Depth(), pixmap_, x_.Root(), uint16_t(width_),
                      uint16_t(height_));
}

void X11BackgroundPixmap::Attach(xcb_window_t window)
{
    if (window == attached_to_ && pixmap_ == attached_)
        return;
    xcb_change_window_attributes(x_.Main(), window, XCB_CW_BACK_PIXMAP, &pixmap_);
    attached_to_ = window;
    attached_ = pixmap_;
}
