#include "platform/x11/x11_form_window.h"
#include "platform/shared/monotonic_clock.h"

#include <algorithm>
#include <xcb/shape.h>

#include "platform/toolkit/form.h"
#include "platform/toolkit/form_definition.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pixel_upload.h"
#include "platform/x11/x11_rectangles.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_window_registry.h"
#include "platform/x11/x11_wm_hints.h"

namespace {

// No exposures: the server paints them from the background pixmap.
constexpr uint32_t kEventMask =
    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr uint32_t kOverlayEventMask = kEventMask | XCB_EVENT_MASK_VISIBILITY_CHANGE;

} // namespace

X11FormWindow::X11FormWindow(const X11FormWindowServices& services, Form& owner)
    : services_(services), x11_(services.x), owner_(owner),
      surface_(1, 1, XrgbOfBackColor(owner.BackColor())),
      image_(*gdi32_internals::ImageOf(surface_.DC())), shape_(0, 0, 1, 1), background_(x11_)
{
    window_ = CreateTopLevel(false);
    overlay_ = CreateTopLevel(true);
    if (x11_.HasShape())
        xcb_shape_rectangles(x11_.Main(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                             XCB_CLIP_ORDERING_YX_BANDED, window_, 0, 0, 0, nullptr);
    x11_hints::SetFormHints(x11_, window_, owner_.Definition());
    x11_hints::SetPlacement(x11_, window_, 0, 0, 1, 1);
    x11_hints::SetOverlayHints(x11_, overlay_, owner_.Definition());
    services_.registry.Add(window_, this);
    services_.registry.Add(overlay_, this);
    // A new image is a clear one: a batch with nothing in it yet.
    recording_ = services_.pictures_on_server;
    batch_.clear_xrgb = image_.Background();
    if (recording_)
        image_.Defer(this);
}

X11FormWindow::~X11FormWindow()
{
    image_.Defer(nullptr);
    services_.registry.Remove(window_);
    services_.registry.Remove(overlay_);
    xcb_destroy_window(x11_.Main(), overlay_);
    xcb_destroy_window(x11_.Main(), window_);
    x11_.Flush();
}

// No background until the pixmap holds pixels: the screen keeps what it
// showed rather than flashing a colour.
xcb_window_t X11FormWindow::CreateTopLevel(bool override_redirect)
{
    const xcb_window_t window = x11_.NewId();
    const uint32_t values[] = {
        XCB_BACK_PIXMAP_NONE,
        0, // border pixel
        XCB_GRAVITY_NORTH_WEST,
        override_redirect ? 1u : 0u,
        override_redirect ? kOverlayEventMask : kEventMask,
        x11_.Colormap(),
    };
    xcb_create_window(x11_.Main(), x11_.Depth(), window, x11_.Root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, x11_.Visual(),
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_BIT_GRAVITY |
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    return window;
}

uint32_t X11FormWindow::EventMaskOf(xcb_window_t window) const
{
    return window == overlay_ ? kOverlayEventMask : kEventMask;
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
    const int scale = x11_.Scale();
    x11_hints::SetPlacement(x11_, window_, x_ * scale, y_ * scale, width_ * scale,
                            height_ * scale);
    const uint32_t place[] = {uint32_t(x_ * scale), uint32_t(y_ * scale), uint32_t(width_ * scale),
                              uint32_t(height_ * scale)};
    for (const xcb_window_t window : {window_, overlay_})
        xcb_configure_window(x11_.Main(), window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             place);
    // The shape is kept within the window's bounds: new bounds, new shape.
    background_valid_ = false;
    PixmanRegion shape;
    ComputeShape(shape);
    Show(shape, true);
}

void X11FormWindow::SetTitle(const std::string& title)
{
    x11_hints::SetTitle(x11_, window_, title);
}

void X11FormWindow::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    if (visible) {
        if (!background_valid_) {
            PixmanRegion shape;
            ComputeShape(shape);
            Show(shape, true);
        }
        x11_stop::MarkStoppable(x11_, window_);
        Map();
    } else {
        xcb_unmap_window(x11_.Main(), overlay_);
        Withdraw();
    }
}

// A clear starts a new batch; what the image held is gone either way.
void X11FormWindow::Clear(COLORREF color)
{
    image_.Defer(nullptr);
    surface_.Clear(color);
    recording_ = services_.pictures_on_server;
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
        if (const X11ServerDrawing::Entry* entry =
                clip ? services_.drawing.Match(picture, *clip, x, y) : nullptr) {
            batch_.stamps.push_back(X11ServerDrawing::Stamp{entry, x, y});
            return;
        }
    }
    surface_.DrawPicture(picture, x, y); // settles the batch first
}

void X11FormWindow::Settle(TiledImage& image)
{
    PixmanRegion outline;
    for (const X11ServerDrawing::Stamp& stamp : batch_.stamps) {
        const X11ServerDrawing::Entry& picture = *stamp.picture;
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
    if (!background_valid_ ||
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
    if (x11_.WriteGate().Behind()) {
        held_ = true;
        held_again_ = held_again_ || again;
        return;
    }
    // A hidden window without a region would take the whole window's pixels:
    // they wait until it is shown.
    if (!visible_ && !surface_.Region()) {
        shape_ = std::move(shape);
        SendShape();
        background_valid_ = false;
        return;
    }
    if (!again && Shown(*shape.get()))
        return;
    const bool new_shape = !background_valid_ || !pixman_region32_equal(shape.get(), shape_.get());
    const pixman_box32_t extents = *pixman_region32_extents(shape.get());
    const bool empty = !pixman_region32_not_empty(shape.get());

    // 1. The pixels, into the background pixmap (a new one if the shape
    // outgrew it).
    const int scale = x11_.Scale();
    if (!empty) {
        background_.Fit(width_ * scale, height_ * scale, extents.y2 * scale);
        if (recording_)
            services_.drawing.Draw(batch_, background_.Id(), extents);
        else
            services_.upload.PutArea(background_.Id(), image_, *shape.get(), scale);
        background_.Attach(overlay_);
    }
    // 2. The shape: what it newly reveals is painted from the pixmap at once.
    shape_ = std::move(shape);
    if (new_shape)
        SendShape();
    // 3. What stays inside the shape gets the new pixels too. A copy rather
    // than a clear: the server clears a window a clip rectangle at a time
    // for each rectangle it paints, which with a shape of a few hundred
    // rectangles costs it more than the rest of the tick; a copy is clipped
    // once.
    if (!empty && visible_)
        services_.drawing.Copy(background_.Id(), overlay_, extents);
    background_valid_ = true;
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

void X11FormWindow::Map()
{
    unmapped_by_other_ = false;
    xcb_map_window(x11_.Main(), window_);
    Raise(overlay_);
    xcb_map_window(x11_.Main(), overlay_); // painted from the pixmap as it appears
}

// Hidden as a window manager expects: unmapped, and told so by a notice
// to the root.
void X11FormWindow::Withdraw()
{
    xcb_unmap_window(x11_.Main(), window_);
    xcb_unmap_notify_event_t notice{};
    notice.response_type = XCB_UNMAP_NOTIFY;
    notice.event = x11_.Root();
    notice.window = window_;
    xcb_send_event(x11_.Main(), 0, x11_.Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&notice));
}

// Another client's unmap while we mean to be seen, of either window; a
// client's notice (a withdraw's) unmaps nothing. An unmap of our own that
// arrives after the window was shown again only costs a map that changes
// nothing.
void X11FormWindow::ObserveUnmap(bool synthetic)
{
    if (visible_ && !synthetic)
        unmapped_by_other_ = true;
}

// The bounding shape only: a window without an input shape of its own
// takes clicks where it is seen.
void X11FormWindow::SendShape()
{
    if (!x11_.HasShape())
        return;
    if (!surface_.Region()) {
        xcb_shape_mask(x11_.Main(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, overlay_, 0, 0,
                       XCB_NONE);
        return;
    }
    // Within the window's bounds, so every rectangle fits X's 16 bits.
    XRectanglesOf(*shape_.get(), rectangles_, x11_.Scale());
    xcb_shape_rectangles(x11_.Main(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                         XCB_CLIP_ORDERING_YX_BANDED, overlay_, 0, 0,
                         uint32_t(rectangles_.size()), rectangles_.data());
    x11_.WriteGate().Queued(16 + 8 * int64_t(rectangles_.size()));
}

void X11FormWindow::Raise(xcb_window_t window)
{
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(x11_.Main(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
}

void X11FormWindow::SetTopmost(bool topmost)
{
    x11_hints::SetAbove(x11_, window_, owner_.Definition(), visible_, topmost);
    topmost_ = topmost;
    if (topmost)
        Raise(overlay_);
}

bool X11FormWindow::Contains(int x, int y) const
{
    const int scale = x11_.Scale();
    if (x < 0 || y < 0)
        return false;
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(shape_.get()), x / scale,
                                          y / scale, nullptr);
}

// Another window went over ours: back on top, if we are meant to be there.
// At most a few times a second, so that two windows that both want to be on
// top do not keep the server busy raising them in turn; a raise held back
// is made at a later turn of the loop, as no new notice may come.
void X11FormWindow::ObserveVisibility(const xcb_visibility_notify_event_t& event)
{
    covered_ = event.state != XCB_VISIBILITY_UNOBSCURED;
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
    Raise(overlay_);
}
