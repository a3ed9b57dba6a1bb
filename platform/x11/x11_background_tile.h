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

#include <X11/Xlib.h>

class X11Connection;

class X11BackgroundTile {
public:
    explicit X11BackgroundTile(X11Connection& x) : x_(x) {}
    ~X11BackgroundTile();
    X11BackgroundTile(const X11BackgroundTile&) = delete;
    X11BackgroundTile& operator=(const X11BackgroundTile&) = delete;

    // Makes sure the tile holds the first `rows` rows of a window of the
    // given size. True when it made a new pixmap, whose pixels are undefined
    // until painted and which the window uses after Attach.
    bool Fit(int window_width, int window_height, int rows);
    // Makes the window's background the tile (after painting a new one).
    void Attach(Window window);

    Pixmap Id() const { return pixmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    X11Connection& x_;
    Pixmap pixmap_ = None;
    int width_ = 0;
    int height_ = 0;
    Window attached_to_ = None;
    Pixmap attached_ = None;
};
