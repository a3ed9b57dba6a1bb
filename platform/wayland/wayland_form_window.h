// The window of a loaded form on Wayland: its surface (the persistent
// image, a device context over it and the window region it owns), and
// while it is shown one overlay surface on every output, each showing its
// part.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared/form_surface.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/pixman_region.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/wayland/wayland_output_surface.h"
#include "platform/wayland/wayland_pictures.h"

class WaylandBackend;

// A window whose image since its last clear is only pictures drawn under
// their outlines keeps them as stamps instead (drawn into the image only
// when something reads or changes it), and shows them as subsurfaces.
class WaylandFormWindow final : public NativeWindow, private TiledImage::Deferred {
public:
    WaylandFormWindow(WaylandBackend& backend, Form& owner, HWND handle);
    ~WaylandFormWindow() override;

    HWND Handle() override { return handle_; }
    HDC ImageDC() override { return surface_.DC(); }
    void Place(int x, int y, int width, int height) override;
    void SetTitle(const std::string& title) override { title_ = title; }
    void SetVisible(bool visible) override;
    bool IsVisible() override { return visible_; }
    void Clear(COLORREF color) override;
    void DrawPicture(const Picture& picture, int x, int y) override;

    Form& Owner() const { return owner_; }
    RECT Placement() const { return RECT{x_, y_, x_ + width_, y_ + height_}; }
    // On success the window owns `region` (null: none) and deletes the one
    // it had, then shows what changed. A handle that is not a live region is
    // refused and stays the caller's.
    bool SetRegion(HRGN region);
    // Whether a click at surface-local (x, y) of `surface` is on this window.
    bool Clicked(wl_surface* surface, double x, double y) const;
    // The outputs changed: a surface for each of them again.
    void FollowOutputs();

private:
    void ComputeShape();
    void Present();
    void Settle(TiledImage& image) override;

    WaylandBackend& backend_;
    Form& owner_;
    HWND handle_;
    std::string title_;
    FormSurface surface_;
    TiledImage& image_; // the surface's
    WaylandPictures pictures_;
    bool recording_ = false;        // the image since its clear is stamps_
    uint64_t recorded_changes_ = 0; // the image's changes when recording began
    std::vector<WaylandStamp> stamps_;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool visible_ = false;
    PixmanRegion shape_; // the region within the window's bounds, window pixels
    std::vector<std::unique_ptr<WaylandOutputSurface>> surfaces_;
};
