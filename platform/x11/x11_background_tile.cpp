#include "platform/x11/x11_background_tile.h"

#include <algorithm>

#include "platform/x11/x11_connection.h"

namespace {

// Heights go in steps of a figure's cell, so walking on another window
// rarely needs a new tile.
constexpr int kRowStep = 64;

} // namespace

X11BackgroundTile::~X11BackgroundTile()
{
    if (pixmap_ != None)
        XFreePixmap(x_.display(), pixmap_);
}

bool X11BackgroundTile::Fit(int window_width, int window_height, int rows)
{
    rows = std::max(rows, 1);
    const bool fits = pixmap_ != None && width_ == window_width && rows <= height_;
    // A tile left much too tall by a large shape gives the memory back.
    const bool wasteful = height_ > kRowStep && rows * 4 < height_;
    if (fits && !wasteful)
        return false;
    if (pixmap_ != None)
        XFreePixmap(x_.display(), pixmap_); // the window keeps its own reference
    width_ = std::max(window_width, 1);
    height_ = std::clamp((rows + kRowStep - 1) / kRowStep * kRowStep, 1, std::max(window_height, 1));
    height_ = std::max(height_, rows);
    pixmap_ = XCreatePixmap(x_.display(), x_.root(), unsigned(width_), unsigned(height_),
                            unsigned(x_.depth()));
    return true;
}

void X11BackgroundTile::Attach(Window window)
{
    if (window == attached_to_ && pixmap_ == attached_)
        return;
    XSetWindowBackgroundPixmap(x_.display(), window, pixmap_);
    attached_to_ = window;
    attached_ = pixmap_;
}
