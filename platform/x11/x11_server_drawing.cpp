#include "platform/x11/x11_server_drawing.h"

#include "platform/shared/picture_outline.h"
#include "platform/toolkit/picture.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pixel_upload.h"
#include "platform/x11/x11_rectangles.h"

namespace {

// The requests' sizes, for the write gate.
constexpr int64_t kChangeGcBytes = 20;
constexpr int64_t kFillBytes = 20;
constexpr int64_t kCopyBytes = 28;

} // namespace

X11ServerDrawing::X11ServerDrawing(X11Connection& x, X11PixelUpload& upload)
    : x_(x), upload_(upload), gc_(x.NewId())
{
    // No GraphicsExpose or NoExpose for our copies: the background pixmap
    // has every pixel they read.
    const uint32_t values[] = {foreground_, 0};
    xcb_create_gc(x_.Main(), gc_, x_.DepthDrawable(),
                  XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
}

X11ServerDrawing::~X11ServerDrawing()
{
    xcb_connection_t* c = x_.Main();
    for (const auto& [id, entry] : entries_) {
        xcb_free_gc(c, entry->gc);
        xcb_free_pixmap(c, entry->mask);
        xcb_free_pixmap(c, entry->pixels);
    }
    xcb_free_gc(c, gc_);
}

const X11ServerDrawing::Entry* X11ServerDrawing::Match(const Picture& picture,
                                                       const pixman_region32_t& clip, int x, int y)
{
    if (picture.Id() == 0 || picture.Empty())
        return nullptr;
    auto found = entries_.find(picture.Id());
    if (found != entries_.end())
        return SameMoved(clip, *found->second->outline.get(), x, y) ? found->second.get() : nullptr;

    // The first clip becomes the outline, if it lies within the picture.
    PixmanRegion outline;
    if (!OutlineOf(picture, clip, x, y, outline))
        return nullptr;
    std::unique_ptr<Entry>& entry = entries_[picture.Id()];
    entry = Upload(picture, *outline.get());
    return entry.get();
}

std::unique_ptr<X11ServerDrawing::Entry> X11ServerDrawing::Upload(const Picture& picture,
                                                                  const pixman_region32_t& outline)
{
    xcb_connection_t* c = x_.Main();
    auto entry = std::make_unique<Entry>();
    entry->width = picture.Width();
    entry->height = picture.Height();
    entry->xrgb.assign(picture.TopDownXrgb(),
                       picture.TopDownXrgb() + std::size_t(entry->width) * std::size_t(entry->height));
    pixman_region32_copy(entry->outline.get(), &outline);

    const int scale = x_.Scale();
    const auto width = uint16_t(entry->width * scale), height = uint16_t(entry->height * scale);
    entry->pixels = x_.NewId();
    xcb_create_pixmap(c, x_.Depth(), entry->pixels, x_.Root(), width, height);
    upload_.Put(entry->pixels, 0, 0, entry->width, entry->height, entry->xrgb.data(),
                entry->width, scale);

    entry->mask = x_.NewId();
    xcb_create_pixmap(c, 1, entry->mask, x_.Root(), width, height);
    const xcb_gcontext_t mask_gc = x_.NewId();
    uint32_t bit = 0;
    xcb_create_gc(c, mask_gc, entry->mask, XCB_GC_FOREGROUND, &bit);
    const xcb_rectangle_t all{0, 0, width, height};
    xcb_poly_fill_rectangle(c, entry->mask, mask_gc, 1, &all);
    bit = 1;
    xcb_change_gc(c, mask_gc, XCB_GC_FOREGROUND, &bit);
    std::vector<xcb_rectangle_t> rectangles;
    XRectanglesOf(outline, rectangles, scale);
    xcb_poly_fill_rectangle(c, entry->mask, mask_gc, uint32_t(rectangles.size()),
                            rectangles.data());
    xcb_free_gc(c, mask_gc);
    x_.WriteGate().Queued(64 + 8 * int64_t(rectangles.size()));

    entry->gc = x_.NewId();
    const uint32_t values[] = {0, entry->mask}; // graphics exposures off, the clip mask
    xcb_create_gc(c, entry->gc, x_.DepthDrawable(),
                  XCB_GC_GRAPHICS_EXPOSURES | XCB_GC_CLIP_MASK, values);
    return entry;
}

void X11ServerDrawing::Draw(const Batch& batch, xcb_drawable_t target,
                            const pixman_box32_t& extents)
{
    xcb_connection_t* c = x_.Main();
    const int scale = x_.Scale();
    const uint32_t pixel = upload_.PixelOf(batch.clear_xrgb);
    // The server keeps the colour: it is sent only when it changes.
    if (pixel != foreground_) {
        foreground_ = pixel;
        xcb_change_gc(c, gc_, XCB_GC_FOREGROUND, &foreground_);
        x_.WriteGate().Queued(kChangeGcBytes);
    }
    const xcb_rectangle_t fill{int16_t(extents.x1 * scale), int16_t(extents.y1 * scale),
                               uint16_t((extents.x2 - extents.x1) * scale),
                               uint16_t((extents.y2 - extents.y1) * scale)};
    xcb_poly_fill_rectangle(c, target, gc_, 1, &fill);
    x_.WriteGate().Queued(kFillBytes);
    for (const Stamp& stamp : batch.stamps) {
        const Entry& picture = *stamp.picture;
        // Only pictures that reach the area: the rest cannot show.
        if (stamp.x >= extents.x2 || stamp.y >= extents.y2 ||
            stamp.x + picture.width <= extents.x1 || stamp.y + picture.height <= extents.y1)
            continue;
        CopyPicture(picture, target, stamp.x, stamp.y);
    }
}

// Through the mask, moved to where the picture lands (sent only when it
// moved: a figure standing still costs one request).
void X11ServerDrawing::CopyPicture(const Entry& entry, xcb_drawable_t target, int x, int y)
{
    xcb_connection_t* c = x_.Main();
    const int scale = x_.Scale();
    if (entry.clip_x != x * scale || entry.clip_y != y * scale) {
        entry.clip_x = x * scale;
        entry.clip_y = y * scale;
        const uint32_t origin[] = {uint32_t(entry.clip_x), uint32_t(entry.clip_y)};
        xcb_change_gc(c, entry.gc, XCB_GC_CLIP_ORIGIN_X | XCB_GC_CLIP_ORIGIN_Y, origin);
        x_.WriteGate().Queued(kChangeGcBytes);
    }
    xcb_copy_area(c, entry.pixels, target, entry.gc, 0, 0, int16_t(x * scale), int16_t(y * scale),
                  uint16_t(entry.width * scale), uint16_t(entry.height * scale));
    x_.WriteGate().Queued(kCopyBytes);
    ++picture_copies_;
}

void X11ServerDrawing::Copy(xcb_drawable_t from, xcb_drawable_t to, const pixman_box32_t& box)
{
    const int scale = x_.Scale();
    const auto x = int16_t(box.x1 * scale), y = int16_t(box.y1 * scale);
    xcb_copy_area(x_.Main(), from, to, gc_, x, y, x, y, uint16_t((box.x2 - box.x1) * scale),
                  uint16_t((box.y2 - box.y1) * scale));
    x_.WriteGate().Queued(kCopyBytes);
}
