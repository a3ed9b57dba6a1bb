#include "platform/x11/x11_window.h"
#include "platform/shared/monotonic_clock.h"

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <algorithm>

#include "platform/toolkit/form.h"
#include "platform/toolkit/form_definition.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_rectangles.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_window_hints.h"

namespace {

// No exposures: the server paints them from the background tile.
constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;

} // namespace

X11FormWindow::X11FormWindow(X11Backend& backend, Form& owner)
    : backend_(backend), owner_(owner), surface_(1, 1, XrgbOfBackColor(owner.BackColor())),
      image_(*gdi32_internals::ImageOf(surface_.DC())), shape_(0, 0, 1, 1),
      tile_(backend.Connection())
{
    X11Connection& x = backend_.Connection();
    window_ = CreateTopLevel(false);
    overlay_ = CreateTopLevel(true);
    if (x.HasShape())
        XShapeCombineRectangles(x.display(), window_, ShapeBounding, 0, 0, nullptr, 0, ShapeSet,
                                YXBanded);
    // No GraphicsExpose or NoExpose for our copies: the tile has every
    // pixel they read.
    XGCValues values{};
    values.graphics_exposures = False;
    gc_ = XCreateGC(x.display(), x.DepthDrawable(), GCGraphicsExposures, &values);
    x11_hints::SetFormHints(x, window_, owner_.Definition());
    x11_hints::SetPlacement(x, window_, 0, 0, 1, 1);
    x11_hints::SetOverlayHints(x, overlay_, owner_.Definition());
    backend_.Register(window_, this);
    backend_.Register(overlay_, this);
    // A new image is a clear one: a batch with nothing in it yet.
    recording_ = backend_.DrawsPicturesOnServer();
    batch_.clear_xrgb = image_.Background();
    if (recording_)
        image_.Defer(this);
}

X11FormWindow::~X11FormWindow()
{
    image_.Defer(nullptr);
    backend_.Unregister(window_);
    backend_.Unregister(overlay_);
    Display* display = backend_.Connection().display();
    XFreeGC(display, gc_);
    XDestroyWindow(display, overlay_);
    XDestroyWindow(display, window_);
    XFlush(display);
}

// No background until the tile holds pixels: the screen keeps what it
// showed rather than flashing a colour.
Window X11FormWindow::CreateTopLevel(bool override_redirect)
{
    X11Connection& x = backend_.Connection();
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.override_redirect = override_redirect;
    attributes.colormap = x.colormap();
    const Window window = XCreateWindow(
        x.display(), x.root(), 0, 0, 1, 1, 0, x.depth(), InputOutput, x.visual(),
        CWBackPixmap | CWBorderPixel | CWBitGravity | CWOverrideRedirect | CWColormap, &attributes);
    XSelectInput(x.display(), window,
                 kEventMask | (override_redirect ? VisibilityChangeMask : NoEventMask));
    return window;
}

long X11FormWindow::EventMaskOf(Window window) const
{
    return window == overlay_ ? kEventMask | VisibilityChangeMask : kEventMask;
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
    const int scale = connection.Scale();
    x11_hints::SetPlacement(connection, window_, x_ * scale, y_ * scale, width_ * scale,
                            height_ * scale);
    for (const Window window : {window_, overlay_})
        XMoveResizeWindow(connection.display(), window, x_ * scale, y_ * scale,
                          unsigned(width_ * scale), unsigned(height_ * scale));
    // The shape is kept within the window's bounds: new bounds, new shape.
    tile_valid_ = false;
    PixmanRegion shape;
    ComputeShape(shape);
    Show(shape, true);
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
            Show(shape, true);
        }
        x11_stop::MarkStoppable(x, window_);
        Map();
    } else {
        XUnmapWindow(x.display(), overlay_);
        XWithdrawWindow(x.display(), window_, x.screen());
    }
}

// A clear starts a new batch; what the image held is gone either way.
void X11FormWindow::Clear(COLORREF color)
{
    image_.Defer(nullptr);
    surface_.Clear(color);
    recording_ = backend_.DrawsPicturesOnServer();
    if (!recording_)
        return;
    batch_.clear_xrgb = image_.Background();
    batch_.stamps.clear();
    image_.Defer(this);
}

void X11FormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    if (recording_) {
        const pixman_region32_t* clip = gdi32_internals::ClipOf(surface_.DC());
        if (const X11Pictures::Entry* entry =
                clip ? backend_.Pictures().Match(picture, *clip, x, y) : nullptr) {
            batch_.stamps.push_back(Stamp{entry, x, y});
            return;
        }
    }
    surface_.DrawPicture(picture, x, y); // settles the batch first
}

void X11FormWindow::Settle(TiledImage& image)
{
    PixmanRegion outline;
    for (const Stamp& stamp : batch_.stamps) {
        const X11Pictures::Entry& picture = *stamp.picture;
        pixman_region32_copy(outline.get(), picture.outline.get());
        pixman_region32_translate(outline.get(), stamp.x, stamp.y);
        image.CopyPicture(outline.get(), stamp.x, stamp.y, picture.width, picture.height,
                          picture.xrgb.data(), picture.width);
    }
    recording_ = false;
}

bool X11FormWindow::SetRegion(HRGN region)
{
    if (!surface_.AdoptRegion(region))
        return false;
    PixmanRegion shape;
    ComputeShape(shape);
    Show(shape, false);
    if (unmapped_by_other_)
        Map();
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

bool X11FormWindow::Shown(const pixman_region32_t& shape) const
{
    if (!tile_valid_ ||
        !pixman_region32_equal(const_cast<pixman_region32_t*>(&shape), shape_.get()))
        return false;
    if (recording_)
        return shown_recorded_ && batch_ == shown_batch_;
    return !shown_recorded_ && image_.Changes() == shown_changes_;
}

void X11FormWindow::Show(PixmanRegion& shape, bool again)
{
    // A server that does not read us would make the loop wait on the
    // write: the drawing waits instead, and only the latest is sent.
    if (backend_.Connection().Outflow().Behind()) {
        held_ = true;
        held_again_ = held_again_ || again;
        return;
    }
    // A hidden window without a region would take the whole window's pixels:
    // they wait until it is shown.
    if (!visible_ && !surface_.Region()) {
        shape_ = std::move(shape);
        SendShape();
        tile_valid_ = false;
        return;
    }
    if (!again && Shown(*shape.get()))
        return;
    const bool new_shape = !tile_valid_ || !pixman_region32_equal(shape.get(), shape_.get());
    const pixman_box32_t extents = *pixman_region32_extents(shape.get());
    const bool empty = !pixman_region32_not_empty(shape.get());

    // 1. The pixels, into the tile (a new one if the shape outgrew it).
    const int scale = backend_.Connection().Scale();
    if (!empty) {
        tile_.Fit(width_ * scale, height_ * scale, extents.y2 * scale);
        if (recording_)
            DrawBatch(extents);
        else
            backend_.Painter().PutArea(tile_.Id(), image_, *shape.get(), scale);
        tile_.Attach(overlay_);
    }
    // 2. The shape: what it newly reveals is painted from the tile at once.
    shape_ = std::move(shape);
    if (new_shape)
        SendShape();
    // 3. What stays inside the shape gets the new pixels too.
    if (!empty)
        Repaint(extents);
    tile_valid_ = true;
    shown_recorded_ = recording_;
    if (recording_)
        shown_batch_ = batch_;
    shown_changes_ = image_.Changes();
}

void X11FormWindow::SendHeldDrawing()
{
    if (!held_)
        return;
    const bool again = held_again_;
    held_ = held_again_ = false;
    PixmanRegion shape;
    ComputeShape(shape);
    Show(shape, again);
}

// The clear colour under the whole shape (it may hold more than the
// pictures), then each picture through its outline, in the order drawn.
void X11FormWindow::DrawBatch(const pixman_box32_t& extents)
{
    Display* display = backend_.Connection().display();
    const int scale = backend_.Connection().Scale();
    XSetForeground(display, gc_, backend_.Painter().PixelOf(batch_.clear_xrgb));
    XFillRectangle(display, tile_.Id(), gc_, extents.x1 * scale, extents.y1 * scale,
                   unsigned((extents.x2 - extents.x1) * scale),
                   unsigned((extents.y2 - extents.y1) * scale));
    for (const Stamp& stamp : batch_.stamps) {
        const X11Pictures::Entry& picture = *stamp.picture;
        // Only pictures that reach the shape: the rest cannot show.
        if (stamp.x >= extents.x2 || stamp.y >= extents.y2 ||
            stamp.x + picture.width <= extents.x1 || stamp.y + picture.height <= extents.y1)
            continue;
        backend_.Pictures().Copy(picture, tile_.Id(), stamp.x, stamp.y);
    }
}

void X11FormWindow::Map()
{
    Display* display = backend_.Connection().display();
    map_serial_ = NextRequest(display);
    unmapped_by_other_ = false;
    XMapWindow(display, window_);
    XMapRaised(display, overlay_); // painted from the tile as it appears
}

// An unmap of ours (hiding, or the window manager reparenting us before
// our map) is older than our last map request; a later one is another
// client's doing while we meant to be seen, of either window.
void X11FormWindow::ObserveUnmap(const XUnmapEvent& event)
{
    if (visible_ && event.serial >= map_serial_ && !event.send_event)
        unmapped_by_other_ = true;
}

// Repaints a part of the window from the tile (only inside the shape). A
// copy rather than a clear: the server clears a window a clip rectangle at a
// time for each rectangle it paints, which with a shape of a few hundred
// rectangles costs it more than the rest of the tick; a copy is clipped
// once.
void X11FormWindow::Repaint(const pixman_box32_t& box)
{
    if (!visible_ || box.x2 <= box.x1 || box.y2 <= box.y1)
        return;
    const int scale = backend_.Connection().Scale();
    const int x = box.x1 * scale, y = box.y1 * scale;
    XCopyArea(backend_.Connection().display(), tile_.Id(), overlay_, gc_, x, y,
              unsigned((box.x2 - box.x1) * scale), unsigned((box.y2 - box.y1) * scale), x, y);
}

// The bounding shape only: a window without an input shape of its own
// takes clicks where it is seen.
void X11FormWindow::SendShape()
{
    X11Connection& x = backend_.Connection();
    if (!x.HasShape())
        return;
    Display* display = x.display();
    if (!surface_.Region()) {
        XShapeCombineMask(display, overlay_, ShapeBounding, 0, 0, None, ShapeSet);
        return;
    }
    // Within the window's bounds, so every rectangle fits X's 16 bits.
    XRectanglesOf(*shape_.get(), rectangles_, x.Scale());
    XShapeCombineRectangles(display, overlay_, ShapeBounding, 0, 0, rectangles_.data(),
                            int(rectangles_.size()), ShapeSet, YXBanded);
}

void X11FormWindow::SetTopmost(bool topmost)
{
    X11Connection& x = backend_.Connection();
    x11_hints::SetAbove(x, window_, owner_.Definition(), visible_, topmost);
    topmost_ = topmost;
    if (topmost)
        XRaiseWindow(x.display(), overlay_);
}

bool X11FormWindow::Contains(int x, int y) const
{
    const int scale = backend_.Connection().Scale();
    if (x < 0 || y < 0)
        return false;
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(shape_.get()), x / scale,
                                          y / scale, nullptr);
}

// Another window went over ours: back on top, if we are meant to be there.
// At most a few times a second, so that two windows that both want to be on
// top do not keep the server busy raising them in turn; a raise held back
// is made at a later turn of the loop, as no new notice may come.
void X11FormWindow::ObserveVisibility(const XVisibilityEvent& event)
{
    covered_ = event.state != VisibilityUnobscured;
    // A compositor may take the input shape of a window's first frame for
    // good (GNOME Shell 43 let no click through anywhere on the screen):
    // the shape is set once more after the window has been shown.
    constexpr int64_t kAfterFirstFrame = 150'000'000;
    if (!shown_once_) {
        shown_once_ = true;
        reshape_at_ns_ = MonotonicNanoseconds() + kAfterFirstFrame;
    }
    KeepOnTop();
}

void X11FormWindow::KeepOnTop()
{
    constexpr int64_t kRaiseInterval = 250'000'000;
    if (reshape_at_ns_ != 0 && MonotonicNanoseconds() >= reshape_at_ns_) {
        reshape_at_ns_ = 0;
        SendShape();
    }
    if (!covered_ || !topmost_ || !visible_)
        return;
    const int64_t now = MonotonicNanoseconds();
    if (now - last_raise_ns_ < kRaiseInterval)
        return;
    last_raise_ns_ = now;
    covered_ = false; // until the server says so again
    XRaiseWindow(backend_.Connection().display(), overlay_);
}
