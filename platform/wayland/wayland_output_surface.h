// A form window's part on one output: a layer surface on the overlay layer,
// anchored to all four edges so it covers the output above normal windows,
// taking no keyboard focus and only the clicks inside the window region.
// It shows the form's image inside the region and is transparent outside;
// or, when the image is only pictures drawn under their outlines, stays
// transparent and shows the pictures as subsurfaces (WaylandFigureSurfaces).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>
#include <wayland-client.h>

#include "platform/user32_gdi32/pixman_region.h"
#include "platform/wayland/wayland_figure_surfaces.h"
#include "platform/wayland/wayland_shm_buffer.h"

class TiledImage;
class WaylandConnection;
struct WaylandOutput;
struct zwlr_layer_surface_v1;

class WaylandOutputSurface {
public:
    // `repaint` is called when the surface needs its picture again (first
    // configured, resized, or a buffer came free while one was waiting).
    WaylandOutputSurface(WaylandConnection& connection, WaylandOutput& output,
                         std::function<void()> repaint);
    ~WaylandOutputSurface();
    WaylandOutputSurface(const WaylandOutputSurface&) = delete;
    WaylandOutputSurface& operator=(const WaylandOutputSurface&) = delete;

    wl_surface* Surface() const { return surface_; }
    const WaylandOutput& Output() const { return output_; }
    // Shows `image` inside `shape` (both in window pixels) for a window
    // whose top-left corner is at (left, top) of the layout.
    void Present(const TiledImage& image, const pixman_region32_t& shape, int left, int top);
    // The same when `shape` is exactly the union of the stamps' outlines:
    // the pictures as subsurfaces. False when this cannot be done (no
    // subsurfaces, no buffer): Present then.
    bool PresentStamps(const std::vector<WaylandStamp>& stamps, const pixman_region32_t& shape,
                       int left, int top);
    // Whether a press at surface-local (x, y) of `surface`, as it is read,
    // is on what this surface shows: inside its input region, or on one of
    // its figures; or on what it showed before a commit the compositor has
    // not taken yet, since the compositor aimed the click at that.
    bool Clicked(const wl_surface* surface, double x, double y) const;

    void Configure(uint32_t serial, uint32_t width, uint32_t height);
    void Closed() { closed_ = true; }
    // The sync sent after a commit is done.
    void Taken(wl_callback* callback);

private:
    WaylandShmBuffer* FreeBuffer(int width, int height);
    void SetInputRegion(const pixman_region32_t& local);
    // `shape` in this surface's logical pixels, clipped to it.
    void Localise(const pixman_region32_t& shape, int left, int top, PixmanRegion& local) const;
    // Commits; when what takes clicks changed, what took them before is
    // kept until the compositor has taken the commit.
    void Commit();

    // What took clicks up to a commit, and the sync that says the
    // compositor has taken that commit.
    struct Earlier {
        wl_callback* taken = nullptr;
        PixmanRegion input;
        std::vector<const wl_surface*> figures;
    };

    WaylandConnection& connection_;
    WaylandOutput& output_;
    std::function<void()> repaint_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_surface_ = nullptr;
    int width_ = 0, height_ = 0; // configured, in logical pixels
    bool configured_ = false;
    bool closed_ = false;
    bool waiting_for_buffer_ = false;
    std::vector<std::unique_ptr<WaylandShmBuffer>> buffers_;
    PixmanRegion shown_;  // the committed picture's opaque part, in logical pixels
    PixmanRegion input_;  // the committed input region
    bool input_set_ = false;
    Earlier committed_; // what takes clicks as last committed
    std::vector<const wl_surface*> shown_now_; // kept, so a commit allocates nothing
    std::deque<std::unique_ptr<Earlier>> earlier_; // oldest first
    std::unique_ptr<WaylandFigureSurfaces> figures_;
    bool figures_shown_ = false; // the surface's own buffer is transparent
    int transparent_width_ = 0, transparent_height_ = 0; // that buffer's size
};
