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

#include <X11/Xlib.h>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/shared/form_surface.h"
#include "platform/user32_gdi32/pixman_region.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/x11/x11_background_tile.h"
#include "platform/x11/x11_pictures.h"

class X11Backend;

class X11FormWindow final : public NativeWindow, private TiledImage::Deferred {
public:
    // Created hidden; the hidden picture form's window is never mapped.
    X11FormWindow(X11Backend& backend, Form& owner);
    ~X11FormWindow() override;

    HWND Handle() override;
    HDC ImageDC() override { return surface_.DC(); }
    void Place(int x, int y, int width, int height) override;
    void SetTitle(const std::string& title) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return visible_; }
    void Clear(COLORREF color) override;
    void DrawPicture(const Picture& picture, int x, int y) override;

    Window Id() const { return window_; }
    // The window that shows the pixels and takes the clicks.
    Window Overlay() const { return overlay_; }
    Form& Owner() const { return owner_; }
    // In the program's pixels; on the screen, times the connection's scale.
    RECT Placement() const { return RECT{x_, y_, x_ + width_, y_ + height_}; }
    // The events one of its X windows wants for itself (the overlay also
    // hears of being covered).
    long EventMaskOf(Window window) const;

    // On success the window owns `region` (null: none) and deletes the one
    // it had; then shows the pixels inside the new shape. A handle that is
    // not a live region is refused and stays the caller's.
    bool SetRegion(HRGN region);
    // Above all other windows, and kept there.
    void SetTopmost(bool topmost);
    // Whether a point in the window's coordinates (the screen's pixels) is
    // inside the window's shape.
    bool Contains(int x, int y) const;
    void ObserveVisibility(const XVisibilityEvent& event);
    // Raises the overlay if it is covered and the last raise is long enough
    // ago (called at every turn of the loop).
    void KeepOnTop();
    // Another client may unmap the window: it is mapped again at the next
    // region applied.
    void ObserveUnmap(const XUnmapEvent& event);
    // Sends the drawing held back while the server was behind on reading
    // us, as it is now.
    void SendHeldDrawing();

private:
    struct Stamp {
        const X11Pictures::Entry* picture;
        int x, y;
        bool operator==(const Stamp&) const = default;
    };
    struct Batch {
        uint32_t clear_xrgb = 0;
        std::vector<Stamp> stamps;
        bool operator==(const Batch&) const = default;
    };

    // The shape in window coordinates: the region within the window's
    // bounds, or the whole window without a region.
    void ComputeShape(PixmanRegion& shape) const;
    void SendShape();
    // Shows what was drawn inside `shape`: pixels to the tile, then the
    // shape, then the window repainted from the tile. Nothing when the tile
    // shows it already, unless `again`.
    void Show(PixmanRegion& shape, bool again);
    bool Shown(const pixman_region32_t& shape) const;
    // The recorded batch, drawn by the server into the tile.
    void DrawBatch(const pixman_box32_t& extents);
    // Draws the recorded batch into the image (TiledImage::Deferred).
    void Settle(TiledImage& image) override;
    void Repaint(const pixman_box32_t& box);
    void Map();
    Window CreateTopLevel(bool override_redirect);

    X11Backend& backend_;
    Form& owner_;
    Window window_;
    Window overlay_;
    FormSurface surface_;
    int x_ = 0, y_ = 0, width_ = 1, height_ = 1;
    bool visible_ = false;
    bool unmapped_by_other_ = false;
    bool held_ = false;       // a Show waits for the server to read us
    bool held_again_ = false; // and it was one that sends unchanged pixels too
    unsigned long map_serial_ = 0; // of our last map request
    bool topmost_ = false;
    int64_t last_raise_ns_ = 0;
    bool covered_ = false; // by another window, as last heard
    bool shown_once_ = false;   // the overlay was seen on screen
    int64_t reshape_at_ns_ = 0; // when to set its shape once more, 0 for done

    TiledImage& image_; // the surface's

    PixmanRegion shape_;                  // what the server has as our shape
    std::vector<XRectangle> rectangles_;  // its rectangles, as sent
    X11BackgroundTile tile_;
    GC gc_; // fills and copies, without exposure events
    bool recording_ = false; // the image's drawing since its clear is batch_
    Batch batch_;
    bool tile_valid_ = false;    // the tile shows the drawing inside shape_:
    bool shown_recorded_ = false; // shown_batch_ if this, else the image
    Batch shown_batch_;
    uint64_t shown_changes_ = 0;  // at the image's change count
};
