// The window of a loaded form on X11: a top-level window, its persistent
// image (tiles kept on our side, so memory follows the figures rather than
// the screen) with a device context over it, and the window region that
// cuts both what is seen and what takes clicks.
//
// Two X windows make one form window. The form's own window is the one the
// window manager knows: it has the title, is framed, activated and closed,
// and is what the handle names; its shape is empty, so it shows nothing and
// takes no click. What is seen and clicked is an overlay of the same size at
// the same place that no window manager manages: its shape changes every
// tick, and a managed window's frame would copy that shape each time (two
// more shape changes a tick, each making the server work out again what
// every window below shows). Unmanaged, the overlay raises itself when
// another window covers it.
//
// The pixels inside the shape go to the window's background pixmap, which
// the server paints from by itself; a new shape goes to the server after
// the pixmap holds the pixels it reveals, so neither a black silhouette nor
// a stale figure shows.
//
// A batch (a clear, then pictures each drawn under its own outline, as the
// figures are stamped) is only recorded: the server draws it from its own
// copies of the pictures when the region is applied, and no pixel leaves
// the program. Any other drawing, or a read of the image, first draws the
// recorded batch into the image; from then until the next clear the image's
// pixels are what the server gets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include "platform/shared/form_surface.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/pixman_region.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/x11/x11_background_pixmap.h"
#include "platform/x11/x11_server_drawing.h"

class X11Connection;
class X11PixelUpload;
class X11WindowRegistry;

// What a form window uses of the backend.
struct X11FormWindowServices {
    X11Connection& x;
    X11ServerDrawing& drawing;
    X11PixelUpload& upload;
    X11WindowRegistry& registry;
    // Whether a batch of pictures is drawn by the server from its own
    // copies (the normal way), or every drawing goes into the image and its
    // pixels are sent; taken at each clear.
    const bool& pictures_on_server;
};

class X11FormWindow final : public NativeWindow, private TiledImage::Deferred {
public:
    // Created hidden; the hidden picture form's window is never mapped.
    X11FormWindow(const X11FormWindowServices& services, Form& owner);
    ~X11FormWindow() override;

    HWND Handle() override;
    HDC ImageDC() override { return surface_.DC(); }
    void Place(int x, int y, int width, int height) override;
    void SetTitle(const std::string& title) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return visible_; }
    void Clear(COLORREF color) override;
    void DrawPicture(const Picture& picture, int x, int y) override;

    xcb_window_t Id() const { return window_; }
    // The window that shows the pixels and takes the clicks.
    xcb_window_t Overlay() const { return overlay_; }
    Form& Owner() const { return owner_; }
    // In the program's pixels; on the screen, times the connection's scale.
    RECT Placement() const { return RECT{x_, y_, x_ + width_, y_ + height_}; }
    // The events one of its X windows wants for itself (the overlay also
    // hears of being covered).
    uint32_t EventMaskOf(xcb_window_t window) const;

    // On success the window owns `region` (null: none) and deletes the one
    // it had; then shows the pixels inside the new shape. A handle that is
    // not a live region is refused and stays the caller's.
    bool SetRegion(HRGN region);
    // Above all other windows, and kept there.
    void SetTopmost(bool topmost);
    // Whether a point in the window's coordinates (the screen's pixels) is
    // inside the window's shape.
    bool Contains(int x, int y) const;
    void ObserveVisibility(const xcb_visibility_notify_event_t& event);
    // Raises the overlay if it is covered and the last raise is long enough
    // ago (called at every turn of the loop).
    void KeepOnTop();
    // Another client may unmap the window: it is mapped again at the next
    // region applied. `synthetic`: a client's notice, not the server's.
    void ObserveUnmap(bool synthetic);
    // Sends the drawing held back while the server was behind on reading
    // us, as it is now.
    void SendHeldDrawing();

private:
    // The shape in window coordinates: the region within the window's
    // bounds, or the whole window without a region.
    void ComputeShape(PixmanRegion& shape) const;
    void SendShape();
    // Shows what was drawn inside `shape`: pixels to the background pixmap,
    // then the shape, then the window repainted from the pixmap. Nothing
    // when the pixmap shows it already, unless `again`.
    void Show(PixmanRegion& shape, bool again);
    bool Shown(const pixman_region32_t& shape) const;
    // Draws the recorded batch into the image (TiledImage::Deferred).
    void Settle(TiledImage& image) override;
    void Map();
    void Withdraw();
    void Raise(xcb_window_t window);
    xcb_window_t CreateTopLevel(bool override_redirect);

    X11FormWindowServices services_;
    X11Connection& x11_;
    Form& owner_;
    xcb_window_t window_;
    xcb_window_t overlay_;
    FormSurface surface_;
    int x_ = 0, y_ = 0, width_ = 1, height_ = 1;
    bool visible_ = false;
    bool unmapped_by_other_ = false;
    bool held_ = false;       // a Show waits for the server to read us
    bool held_again_ = false; // and it was one that sends unchanged pixels too
    bool topmost_ = false;
    int64_t last_raise_ns_ = 0;
    bool covered_ = false;      // by another window, as last heard
    bool shown_once_ = false;   // the overlay was seen on screen
    int64_t reshape_at_ns_ = 0; // when to set its shape once more, 0 for done

    TiledImage& image_; // the surface's

    PixmanRegion shape_;                     // what the server has as our shape
    std::vector<xcb_rectangle_t> rectangles_; // its rectangles, as sent
    X11BackgroundPixmap background_;
    bool recording_ = false; // the image's drawing since its clear is batch_
    X11ServerDrawing::Batch batch_;
    bool background_valid_ = false; // the pixmap shows the drawing inside shape_:
    bool shown_recorded_ = false;   // shown_batch_ if this, else the image
    X11ServerDrawing::Batch shown_batch_;
    uint64_t shown_changes_ = 0; // at the image's change count
};
