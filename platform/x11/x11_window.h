// The window of a loaded form on X11: a top-level window, its persistent
// image (tiles kept on our side, so memory follows the figures rather than
// the screen) with a device context over it, and the window region that
// cuts both what is seen and what takes clicks.
//
// The pixels inside the shape go to the window's background tile, which
// the server paints from by itself; a new shape goes to the server after
// the tile holds the pixels it reveals, so neither a black silhouette nor a
// stale figure shows.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/shared/form_surface.h"
#include "platform/user32_gdi32/pixman_region.h"
#include "platform/toolkit/backend.h"
#include "platform/x11/x11_background_tile.h"
#include "platform/x11/x11_box_cover.h"

class X11Backend;

class X11FormWindow final : public NativeWindow {
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
    Form& Owner() const { return owner_; }
    RECT Placement() const { return RECT{x_, y_, x_ + width_, y_ + height_}; }
    // The events this window wants for itself: no exposures, since the
    // server paints them from the background tile. Without a window manager
    // to keep it above the others it also hears of being covered.
    static constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    static constexpr long kKeepRaisedMask = VisibilityChangeMask;

    // On success the window owns `region` (null: none) and deletes the one
    // it had; then shows the pixels inside the new shape. A handle that is
    // not a live region is refused and stays the caller's.
    bool SetRegion(HRGN region);
    // Above all other windows, and kept there.
    void SetTopmost(bool topmost);
    // Whether a point in window coordinates is inside the window's shape.
    bool Contains(int x, int y) const;
    void ObserveVisibility(const XVisibilityEvent& event);

private:
    // The shape in window coordinates: the region within the window's
    // bounds, or the whole window without a region.
    void ComputeShape(PixmanRegion& shape) const;
    void SendShape();
    // Shows the image inside a new shape: pixels to the tile, then the shape,
    // then the window repainted from the tile.
    void ShowShape(PixmanRegion& shape);
    // Shows the unchanged shape's new pixels.
    void ShowPixels();
    void Repaint(const pixman_box32_t& box);

    X11Backend& backend_;
    Form& owner_;
    Window window_;
    FormSurface surface_;
    int x_ = 0, y_ = 0, width_ = 1, height_ = 1;
    bool visible_ = false;
    bool topmost_ = false;
    int64_t last_raise_ns_ = 0;

    PixmanRegion shape_;                  // what the server has as our shape
    std::vector<XRectangle> rectangles_;  // its rectangles, as sent
    std::vector<pixman_box32_t> bounds_;  // the few boxes around it that its pixels go by
    BoundScratch scratch_;                // working space for finding them
    X11BackgroundTile tile_;
    bool tile_valid_ = false;     // the tile holds the image inside shape_
    uint64_t shown_changes_ = 0;  // the image's change count when it did
};
