#include "platform/x11/x11_window.h"

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <algorithm>

#include "platform/toolkit/form_definition.h"
#include "platform/toolkit/form.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_box_cover.h"
#include "platform/x11/x11_rectangles.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_window_hints.h"

X11FormWindow::X11FormWindow(X11Backend& backend, Form& owner)
    : backend_(backend), owner_(owner), surface_(1, 1, XrgbOfBackColor(owner.BackColor())), shape_(0, 0, 1, 1),
      tile_(backend.Connection())
{
    X11Connection& x = backend_.Connection();
    // No background until the tile holds pixels: the screen keeps what it
    // showed rather than flashing a colour.
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = backend_.FormEventMask();
    window_ = XCreateWindow(x.display(), x.root(), 0, 0, 1, 1, 0, x.depth(), InputOutput,
                            x.visual(), CWBackPixmap | CWBorderPixel | CWBitGravity | CWEventMask,
                            &attributes);
    x11_hints::SetFormHints(x, window_, owner_.Definition());
    x11_hints::SetPlacement(x, window_, 0, 0, 1, 1);
    backend_.Register(window_, this);
}

X11FormWindow::~X11FormWindow()
{
    backend_.Unregister(window_);
    XDestroyWindow(backend_.Connection().display(), window_);
    XFlush(backend_.Connection().display());
}

HWND X11FormWindow::Handle() { return reinterpret_cast<HWND>(uintptr_t(window_)); }

void X11FormWindow::Place(int x, int y, int width, int height)
{
    // X has no empty windows; the image keeps the asked size.
    surface_.Resize(width, height);
    x_ = x;
    y_ = y;
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    X11Connection& connection = backend_.Connection();
    x11_hints::SetPlacement(connection, window_, x_, y_, width_, height_);
    XMoveResizeWindow(connection.display(), window_, x_, y_, unsigned(width_), unsigned(height_));
    // The shape is kept within the window's bounds: new bounds, new shape.
    tile_valid_ = false;
    PixmanRegion shape;
    ComputeShape(shape);
    ShowShape(shape);
}

void X11FormWindow::SetTitle(const std::string& title)
{
    x11_hints::SetTitle(backend_.Connection(), window_, title);
}

void X11FormWindow::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    X11Connection& x = backend_.Connection();
    if (visible) {
        if (!tile_valid_) {
            PixmanRegion shape;
            ComputeShape(shape);
            ShowShape(shape);
        }
        x11_stop::MarkStoppable(x, window_);
        XMapRaised(x.display(), window_); // painted from the tile as it appears
    } else {
        XWithdrawWindow(x.display(), window_, x.screen());
    }
}

void X11FormWindow::Clear(COLORREF color) { surface_.Clear(color); }

void X11FormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    surface_.DrawPicture(picture, x, y);
}

bool X11FormWindow::SetRegion(HRGN region)
{
    if (!surface_.AdoptRegion(region))
        return false;
    PixmanRegion shape;
    ComputeShape(shape);
    if (!tile_valid_ || !pixman_region32_equal(shape.get(), shape_.get()))
        ShowShape(shape);
    else if (surface_.Image().Changes() != shown_changes_)
        ShowPixels();
    return true;
}

void X11FormWindow::ComputeShape(PixmanRegion& shape) const
{
    const pixman_region32_t* region = surface_.RegionArea();
    PixmanRegion bounds(0, 0, width_, height_);
    if (region)
        pixman_region32_intersect(shape.get(), region, bounds.get());
    else
        pixman_region32_copy(shape.get(), bounds.get());
}

void X11FormWindow::ShowShape(PixmanRegion& shape)
{
    // A hidden window without a region would take the whole window's pixels:
    // they wait until it is shown.
    if (!visible_ && !surface_.Region()) {
        shape_ = std::move(shape);
        SendShape();
        tile_valid_ = false;
        return;
    }
    BoundRegion(*shape.get(), bounds_, scratch_);
    const pixman_box32_t extents = *pixman_region32_extents(shape.get());
    const bool empty = bounds_.empty();

    // 1. The pixels, into the tile (a new one if the shape outgrew it): the
    // boxes around the shape, clipped to it.
    if (!empty) {
        if (tile_.Fit(width_, height_, extents.y2 - extents.y1))
            tile_valid_ = false;
        backend_.Painter().Paint(tile_.Id(), tile_.Width(), tile_.Height(), bounds_.data(),
                                 int(bounds_.size()), surface_.Image(), *shape.get());
        tile_.Attach(window_);
    }
    // 2. The shape: what it newly reveals is painted from the tile at once.
    shape_ = std::move(shape);
    SendShape();
    // 3. What stays inside the shape gets the new pixels too.
    if (!empty)
        Repaint(extents);
    shown_changes_ = surface_.Image().Changes();
    tile_valid_ = true;
}

// The same shape, new pixels: all of them, as cheap to send as to compare.
void X11FormWindow::ShowPixels()
{
    if (!bounds_.empty()) {
        backend_.Painter().Paint(tile_.Id(), tile_.Width(), tile_.Height(), bounds_.data(),
                                 int(bounds_.size()), surface_.Image(), *shape_.get());
        Repaint(*pixman_region32_extents(shape_.get()));
    }
    shown_changes_ = surface_.Image().Changes();
}

// Repaints a part of the window from the tile (only inside the shape).
void X11FormWindow::Repaint(const pixman_box32_t& box)
{
    if (!visible_ || box.x2 <= box.x1 || box.y2 <= box.y1)
        return;
    XClearArea(backend_.Connection().display(), window_, box.x1, box.y1,
               unsigned(box.x2 - box.x1), unsigned(box.y2 - box.y1), False);
}

void X11FormWindow::SendShape()
{
    X11Connection& x = backend_.Connection();
    if (!x.HasShape())
        return;
    Display* display = x.display();
    if (!surface_.Region()) {
        XShapeCombineMask(display, window_, ShapeBounding, 0, 0, None, ShapeSet);
        XShapeCombineMask(display, window_, ShapeInput, 0, 0, None, ShapeSet);
        return;
    }
    // Within the window's bounds, so every rectangle fits X's 16 bits.
    XRectanglesOf(*shape_.get(), rectangles_);
    const int count = int(rectangles_.size());
    XShapeCombineRectangles(display, window_, ShapeBounding, 0, 0, rectangles_.data(), count,
                            ShapeSet, YXBanded);
    XShapeCombineRectangles(display, window_, ShapeInput, 0, 0, rectangles_.data(), count,
                            ShapeSet, YXBanded);
}

void X11FormWindow::SetTopmost(bool topmost)
{
    X11Connection& x = backend_.Connection();
    x11_hints::SetAbove(x, window_, owner_.Definition(), visible_, topmost);
    topmost_ = topmost;
    if (topmost)
        XRaiseWindow(x.display(), window_);
}

bool X11FormWindow::Contains(int x, int y) const
{
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(shape_.get()), x, y,
                                          nullptr);
}

// Another window went over ours: back on top, if we are meant to be there.
// At most a few times a second, so that two windows that both want to be on
// top do not keep the server busy raising them in turn.
void X11FormWindow::ObserveVisibility(const XVisibilityEvent& event)
{
    constexpr int64_t kRaiseInterval = 250'000'000;
    if (event.state == VisibilityUnobscured || !topmost_ || !visible_)
        return;
    const int64_t now = MonotonicNanoseconds();
    if (now - last_raise_ns_ < kRaiseInterval)
        return;
    last_raise_ns_ = now;
    XRaiseWindow(backend_.Connection().display(), window_);
}
