#include "platform/wayland/wayland_figure_surfaces.h"

#include <cstdint>

#include "platform/wayland/wayland_connection.h"

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

} // namespace

WaylandFigureSurfaces::WaylandFigureSurfaces(WaylandConnection& connection, wl_surface* parent)
    : connection_(connection), parent_(parent)
{
}

WaylandFigureSurfaces::~WaylandFigureSurfaces()
{
    for (Figure& figure : figures_) {
        wl_subsurface_destroy(figure.subsurface);
        wl_surface_destroy(figure.surface);
    }
    for (const auto& [id, region] : outlines_)
        wl_region_destroy(region);
    buffers_.clear();
}

wl_region* WaylandFigureSurfaces::OutlineOf(const WaylandPicture& picture)
{
    wl_region*& region = outlines_[picture.id];
    if (region)
        return region;
    region = wl_compositor_create_region(connection_.compositor());
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(picture.outline.get()), &count);
    for (int i = 0; i < count; ++i)
        wl_region_add(region, boxes[i].x1, boxes[i].y1, boxes[i].x2 - boxes[i].x1,
                      boxes[i].y2 - boxes[i].y1);
    return region;
}

void WaylandFigureSurfaces::Shown(std::vector<const wl_surface*>& shown) const
{
    for (const Figure& figure : figures_)
        if (figure.buffer)
            shown.push_back(figure.surface);
}

// Inside its outline the picture's own pixels, each as a scale x scale
// block; transparent outside.
const WaylandShmBuffer* WaylandFigureSurfaces::BufferOf(const WaylandPicture& picture, int scale)
{
    if (scale != buffers_scale_) {
        Hide(); // no buffer of the old scale stays attached
        buffers_.clear();
        buffers_scale_ = scale;
    }
    std::unique_ptr<WaylandShmBuffer>& buffer = buffers_[picture.id];
    if (buffer)
        return buffer.get();
    buffer = std::make_unique<WaylandShmBuffer>(connection_.shm(), picture.width * scale,
                                                picture.height * scale);
    if (!buffer->Valid()) {
        buffers_.erase(picture.id);
        return nullptr;
    }
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(picture.outline.get()), &count);
    for (int i = 0; i < count; ++i)
        for (int y = boxes[i].y1; y < boxes[i].y2; ++y) {
            const uint32_t* in = picture.xrgb.data() + std::size_t(y) * std::size_t(picture.width);
            for (int sy = 0; sy < scale; ++sy) {
                uint32_t* out = buffer->Row(y * scale + sy) + boxes[i].x1 * scale;
                for (int x = boxes[i].x1; x < boxes[i].x2; ++x)
                    for (int sx = 0; sx < scale; ++sx)
                        *out++ = in[x] | kOpaque;
            }
        }
    return buffer.get();
}

WaylandFigureSurfaces::Figure& WaylandFigureSurfaces::FigureAt(std::size_t index)
{
    while (figures_.size() <= index) {
        // A new subsurface goes on top of its siblings: creation order is
        // stacking order.
        Figure figure;
        figure.surface = wl_compositor_create_surface(connection_.compositor());
        figure.subsurface =
            wl_subcompositor_get_subsurface(connection_.subcompositor(), figure.surface, parent_);
        figures_.push_back(figure);
    }
    return figures_[index];
}

bool WaylandFigureSurfaces::Show(const std::vector<WaylandStamp>& stamps, int dx, int dy, int width,
                                 int height, int scale)
{
    std::size_t shown = 0;
    for (const WaylandStamp& stamp : stamps) {
        const WaylandPicture& picture = *stamp.picture;
        const int x = stamp.x + dx, y = stamp.y + dy;
        if (x >= width || y >= height || x + picture.width <= 0 || y + picture.height <= 0)
            continue;
        const WaylandShmBuffer* buffer = BufferOf(picture, scale);
        if (!buffer)
            return false;
        Figure& figure = FigureAt(shown++);
        if (figure.buffer == nullptr || figure.x != x || figure.y != y) {
            wl_subsurface_set_position(figure.subsurface, x, y);
            figure.x = x;
            figure.y = y;
        }
        if (figure.buffer != buffer) {
            wl_surface_attach(figure.surface, buffer->Buffer(), 0, 0);
            wl_surface_set_buffer_scale(figure.surface, scale);
            wl_surface_set_input_region(figure.surface, OutlineOf(picture));
            wl_surface_damage_buffer(figure.surface, 0, 0, buffer->Width(), buffer->Height());
            wl_surface_commit(figure.surface); // taken up with the parent's commit
            figure.buffer = buffer;
        }
    }
    for (std::size_t i = shown; i < figures_.size(); ++i)
        if (figures_[i].buffer) {
            wl_surface_attach(figures_[i].surface, nullptr, 0, 0);
            wl_surface_commit(figures_[i].surface);
            figures_[i].buffer = nullptr;
        }
    return true;
}

void WaylandFigureSurfaces::Hide()
{
    for (Figure& figure : figures_)
        if (figure.buffer) {
            wl_surface_attach(figure.surface, nullptr, 0, 0);
            wl_surface_commit(figure.surface);
            figure.buffer = nullptr;
        }
}
