// The figures of one output's overlay as subsurfaces: one for each picture
// drawn, its buffer that picture's, made once at its first showing and kept
// by the compositor, so that a tick only moves them and sends no pixels.
// Each takes the clicks inside its picture's outline, so that together they
// take those inside the window region (the union of the outlines), and the
// overlay under them takes none.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>
#include <wayland-client.h>

#include "platform/wayland/wayland_pictures.h"
#include "platform/wayland/wayland_shm_buffer.h"

class WaylandConnection;

class WaylandFigureSurfaces {
public:
    WaylandFigureSurfaces(WaylandConnection& connection, wl_surface* parent);
    ~WaylandFigureSurfaces();
    WaylandFigureSurfaces(const WaylandFigureSurfaces&) = delete;
    WaylandFigureSurfaces& operator=(const WaylandFigureSurfaces&) = delete;

    // Shows `stamps`, later ones above earlier ones, each at its corner
    // moved by (dx, dy) into the parent's logical pixels, skipping those
    // outside (0, 0)-(width, height); the parent's next commit shows it.
    // False when a picture's buffer could not be made.
    bool Show(const std::vector<WaylandStamp>& stamps, int dx, int dy, int width, int height,
              int scale);
    // Takes them all off the screen with the parent's next commit.
    void Hide();
    // Adds the figures shown, as surfaces, to `shown`.
    void Shown(std::vector<const wl_surface*>& shown) const;

private:
    struct Figure {
        wl_surface* surface = nullptr;
        wl_subsurface* subsurface = nullptr;
        const WaylandShmBuffer* buffer = nullptr; // null: not shown
        int x = 0, y = 0;
    };
    const WaylandShmBuffer* BufferOf(const WaylandPicture& picture, int scale);
    wl_region* OutlineOf(const WaylandPicture& picture);
    Figure& FigureAt(std::size_t index);

    WaylandConnection& connection_;
    wl_surface* parent_;
    std::vector<Figure> figures_; // in stacking order, the first lowest
    std::unordered_map<uint64_t, std::unique_ptr<WaylandShmBuffer>> buffers_; // by picture
    int buffers_scale_ = 0;
    std::unordered_map<uint64_t, wl_region*> outlines_; // by picture, logical pixels
};
