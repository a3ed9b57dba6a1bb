#include "platform/wayland/wayland_output_surface.h"

#include <algorithm>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/wayland/wayland_connection.h"
#include "wayland/wlr-layer-shell-unstable-v1-client-protocol.h"

namespace {

// Buffers the compositor may hold at once before a picture waits.
constexpr std::size_t kMostBuffers = 3;
// More damage rectangles than this are sent as their bounding box.
constexpr int kMostDamageRects = 32;
constexpr uint32_t kOpaque = 0xFF000000u;

WaylandOutputSurface& Of(void* data) { return *static_cast<WaylandOutputSurface*>(data); }

const wl_callback_listener kTakenListener = {
    [](void* data, wl_callback* callback, uint32_t) { Of(data).Taken(callback); },
};

const zwlr_layer_surface_v1_listener kLayerListener = {
    [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height) {
        Of(data).Configure(serial, width, height);
    },
    [](void* data, zwlr_layer_surface_v1*) { Of(data).Closed(); },
};

} // namespace

WaylandOutputSurface::WaylandOutputSurface(WaylandConnection& connection, WaylandOutput& output,
                                           std::function<void()> repaint)
    : connection_(connection), output_(output), repaint_(std::move(repaint))
{
    surface_ = wl_compositor_create_surface(connection.compositor());
    layer_surface_ = zwlr_layer_shell_v1_get_layer_surface(
        connection.layer_shell(), surface_, output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "walkers");
    zwlr_layer_surface_v1_add_listener(layer_surface_, &kLayerListener, this);
    zwlr_layer_surface_v1_set_anchor(layer_surface_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer_surface_, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_surface_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_surface_, 0);
    // Nothing takes clicks until the first picture says where the figures are.
    SetInputRegion(*PixmanRegion().get());
    wl_surface_commit(surface_);
}

WaylandOutputSurface::~WaylandOutputSurface()
{
    for (const auto& earlier : earlier_)
        wl_callback_destroy(earlier->taken);
    figures_.reset(); // subsurfaces go before their parent
    zwlr_layer_surface_v1_destroy(layer_surface_);
    wl_surface_destroy(surface_);
    buffers_.clear();
}

void WaylandOutputSurface::Configure(uint32_t serial, uint32_t width, uint32_t height)
{
    zwlr_layer_surface_v1_ack_configure(layer_surface_, serial);
    const int w = int(width), h = int(height);
    const bool changed = !configured_ || w != width_ || h != height_;
    configured_ = true;
    width_ = w;
    height_ = h;
    if (changed)
        repaint_();
}

void WaylandOutputSurface::SetInputRegion(const pixman_region32_t& local)
{
    if (input_set_ && pixman_region32_equal(input_.get(), &local))
        return;
    wl_region* region = wl_compositor_create_region(connection_.compositor());
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&local, &count);
    for (int i = 0; i < count; ++i)
        wl_region_add(region, boxes[i].x1, boxes[i].y1, boxes[i].x2 - boxes[i].x1,
                      boxes[i].y2 - boxes[i].y1);
    wl_surface_set_input_region(surface_, region);
    wl_region_destroy(region);
    pixman_region32_copy(input_.get(), &local);
    input_set_ = true;
}

bool WaylandOutputSurface::Clicked(const wl_surface* surface, double x, double y) const
{
    // On a figure the compositor took its outline.
    auto took = [&](const PixmanRegion& input, const std::vector<const wl_surface*>& figures) {
        if (surface == surface_)
            return bool(pixman_region32_contains_point(const_cast<pixman_region32_t*>(input.get()),
                                                       int(x), int(y), nullptr));
        return std::find(figures.begin(), figures.end(), surface) != figures.end();
    };
    if (took(committed_.input, committed_.figures))
        return true;
    return std::any_of(earlier_.begin(), earlier_.end(),
                       [&](const auto& earlier) { return took(earlier->input, earlier->figures); });
}

// A tick may commit between the compositor sending a click and walkers
// reading it (KWin tells of a new focus over the bus before the button
// reaches the socket): the click is judged by what the compositor had.
void WaylandOutputSurface::Commit()
{
    shown_now_.clear();
    if (figures_)
        figures_->Shown(shown_now_);
    const bool input_same = pixman_region32_equal(input_.get(), committed_.input.get());
    const bool figures_kept = std::all_of(
        committed_.figures.begin(), committed_.figures.end(), [&](const wl_surface* figure) {
            return std::find(shown_now_.begin(), shown_now_.end(), figure) != shown_now_.end();
        });
    wl_surface_commit(surface_);
    if (!input_same || !figures_kept) {
        auto before = std::make_unique<Earlier>();
        std::swap(before->input, committed_.input);
        pixman_region32_copy(committed_.input.get(), input_.get());
        std::swap(before->figures, committed_.figures);
        before->taken = wl_display_sync(connection_.display());
        wl_callback_add_listener(before->taken, &kTakenListener, this);
        earlier_.push_back(std::move(before));
    }
    std::swap(committed_.figures, shown_now_);
}

// The compositor has taken the commit: what took clicks before it, and
// before any commit older than it, takes none now.
void WaylandOutputSurface::Taken(wl_callback* callback)
{
    while (!earlier_.empty()) {
        const bool last = earlier_.front()->taken == callback;
        wl_callback_destroy(earlier_.front()->taken);
        earlier_.pop_front();
        if (last)
            break;
    }
}

WaylandShmBuffer* WaylandOutputSurface::FreeBuffer(int width, int height)
{
    std::erase_if(buffers_, [&](const auto& buffer) {
        return !buffer->Busy() && (buffer->Width() != width || buffer->Height() != height);
    });
    for (const auto& buffer : buffers_)
        if (!buffer->Busy())
            return buffer.get();
    if (buffers_.size() >= kMostBuffers)
        return nullptr;
    auto buffer = std::make_unique<WaylandShmBuffer>(connection_.shm(), width, height);
    if (!buffer->Valid())
        return nullptr;
    buffer->on_release = [this] {
        if (waiting_for_buffer_)
            repaint_();
    };
    buffers_.push_back(std::move(buffer));
    return buffers_.back().get();
}

void WaylandOutputSurface::Present(const TiledImage& image, const pixman_region32_t& shape,
                                   int left, int top)
{
    if (!configured_ || closed_ || width_ <= 0 || height_ <= 0)
        return;
    const int scale = std::max(1, output_.scale);
    WaylandShmBuffer* buffer = FreeBuffer(width_ * scale, height_ * scale);
    if (!buffer) {
        waiting_for_buffer_ = true; // painted when one comes back
        return;
    }
    waiting_for_buffer_ = false;
    if (figures_shown_) {
        figures_->Hide();
        figures_shown_ = false;
    }

    const int dx = left - output_.x, dy = top - output_.y;
    PixmanRegion local;
    Localise(shape, left, top, local);

    // What the buffer showed before goes transparent, then the new shape
    // is drawn, each logical pixel as a scale x scale block.
    PixmanRegion scaled;
    pixman_region32_copy(scaled.get(), local.get());
    if (scale > 1) {
        int count = 0;
        const pixman_box32_t* boxes = pixman_region32_rectangles(local.get(), &count);
        std::vector<pixman_box32_t> big(boxes, boxes + count);
        for (pixman_box32_t& box : big) {
            box.x1 *= scale;
            box.y1 *= scale;
            box.x2 *= scale;
            box.y2 *= scale;
        }
        pixman_region32_fini(scaled.get());
        pixman_region32_init_rects(scaled.get(), big.data(), int(big.size()));
    }
    {
        PixmanRegion stale;
        pixman_region32_subtract(stale.get(), buffer->Opaque().get(), scaled.get());
        int count = 0;
        const pixman_box32_t* boxes = pixman_region32_rectangles(stale.get(), &count);
        for (int i = 0; i < count; ++i)
            for (int y = boxes[i].y1; y < boxes[i].y2; ++y)
                std::fill(buffer->Row(y) + boxes[i].x1, buffer->Row(y) + boxes[i].x2, 0u);
    }
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(local.get(), &count);
    std::vector<uint32_t> row;
    for (int i = 0; i < count; ++i) {
        const pixman_box32_t& box = boxes[i];
        const int width = box.x2 - box.x1;
        row.resize(std::size_t(width));
        for (int y = box.y1; y < box.y2; ++y) {
            image.Read(box.x1 - dx, y - dy, width, 1, row.data(), width);
            for (int sy = 0; sy < scale; ++sy) {
                uint32_t* out = buffer->Row(y * scale + sy) + box.x1 * scale;
                for (int x = 0; x < width; ++x)
                    for (int sx = 0; sx < scale; ++sx)
                        *out++ = row[std::size_t(x)] | kOpaque;
            }
        }
    }
    pixman_region32_copy(buffer->Opaque().get(), scaled.get());

    // Damage: what was shown and what is shown now.
    PixmanRegion damage;
    pixman_region32_union(damage.get(), shown_.get(), local.get());
    boxes = pixman_region32_rectangles(damage.get(), &count);
    if (count > kMostDamageRects) {
        const pixman_box32_t* extents = pixman_region32_extents(damage.get());
        wl_surface_damage_buffer(surface_, extents->x1 * scale, extents->y1 * scale,
                                 (extents->x2 - extents->x1) * scale,
                                 (extents->y2 - extents->y1) * scale);
    } else {
        for (int i = 0; i < count; ++i)
            wl_surface_damage_buffer(surface_, boxes[i].x1 * scale, boxes[i].y1 * scale,
                                     (boxes[i].x2 - boxes[i].x1) * scale,
                                     (boxes[i].y2 - boxes[i].y1) * scale);
    }
    pixman_region32_copy(shown_.get(), local.get());
    SetInputRegion(*local.get());
    wl_surface_set_buffer_scale(surface_, scale);
    wl_surface_attach(surface_, buffer->Buffer(), 0, 0);
    buffer->MarkBusy();
    Commit();
}

// The window sits at (left, top) of the layout, the output at its own place.
void WaylandOutputSurface::Localise(const pixman_region32_t& shape, int left, int top,
                                    PixmanRegion& local) const
{
    pixman_region32_copy(local.get(), &shape);
    pixman_region32_translate(local.get(), left - output_.x, top - output_.y);
    PixmanRegion bounds(0, 0, width_, height_);
    pixman_region32_intersect(local.get(), local.get(), bounds.get());
}

bool WaylandOutputSurface::PresentStamps(const std::vector<WaylandStamp>& stamps,
                                         const pixman_region32_t& shape, int left, int top)
{
    if (!configured_ || closed_ || width_ <= 0 || height_ <= 0)
        return true;
    if (!connection_.subcompositor())
        return false;
    const int scale = std::max(1, output_.scale);
    if (!figures_)
        figures_ = std::make_unique<WaylandFigureSurfaces>(connection_, surface_);
    if (!figures_shown_ || transparent_width_ != width_ * scale ||
        transparent_height_ != height_ * scale) {
        // The surface's own picture goes: a buffer all transparent.
        WaylandShmBuffer* buffer = FreeBuffer(width_ * scale, height_ * scale);
        if (!buffer)
            return false;
        int count = 0;
        const pixman_box32_t* boxes = pixman_region32_rectangles(buffer->Opaque().get(), &count);
        for (int i = 0; i < count; ++i)
            for (int y = boxes[i].y1; y < boxes[i].y2; ++y)
                std::fill(buffer->Row(y) + boxes[i].x1, buffer->Row(y) + boxes[i].x2, 0u);
        pixman_region32_clear(buffer->Opaque().get());
        wl_surface_set_buffer_scale(surface_, scale);
        wl_surface_attach(surface_, buffer->Buffer(), 0, 0);
        wl_surface_damage_buffer(surface_, 0, 0, buffer->Width(), buffer->Height());
        buffer->MarkBusy();
        transparent_width_ = buffer->Width();
        transparent_height_ = buffer->Height();
    }
    if (!figures_->Show(stamps, left - output_.x, top - output_.y, width_, height_, scale)) {
        figures_->Hide();
        figures_shown_ = false;
        return false; // the transparent buffer stays until Present replaces it
    }
    figures_shown_ = true;
    PixmanRegion local;
    Localise(shape, left, top, local);
    pixman_region32_copy(shown_.get(), local.get());
    SetInputRegion(*PixmanRegion().get()); // the figures take the clicks
    Commit();
    return true;
}
