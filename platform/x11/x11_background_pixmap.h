// A form window's background: a pixmap on the server that holds the
// window's pixels inside its shape, at the same place. The server paints
// whatever part of the window gets exposed from it, by itself and at once:
// when a new shape reveals pixels, when the window manager's frame catches
// up with the shape, when a window above moves away. No Expose reaches us
// and nothing waits for us to repaint.
//
// As wide as the window but only as tall as the shape reaches down, so
// figures on a title bar near the top cost the server a band of the screen,
// not the screen. (Below it the pixmap repeats, outside the shape, unseen.)
#pragma once

#include <xcb/xcb.h>

class X11Connection;

class X11BackgroundPixmap {
public:
    explicit X11BackgroundPixmap(X11Connection& x) : x_(x) {}
    ~X11BackgroundPixmap();
    X11BackgroundPixmap(const X11BackgroundPixmap&) = delete;
    X11BackgroundPixmap& operator=(const X11BackgroundPixmap&) = delete;

    // Makes sure the pixmap holds the first `rows` rows of a window of the
    // given size; a new one's pixels are undefined until painted, and the
    // window uses it after Attach.
    void Fit(int window_width, int window_height, int rows);
    // Makes the window's background the pixmap (after painting a new one).
    void Attach(xcb_window_t window);

    xcb_pixmap_t Id() const { return pixmap_; }

private:
    X11Connection& x_;
    xcb_pixmap_t pixmap_ = XCB_NONE;
    int width_ = 0;
    int height_ = 0;
    xcb_window_t attached_to_ = XCB_NONE;
    xcb_pixmap_t attached_ = XCB_NONE;
};
