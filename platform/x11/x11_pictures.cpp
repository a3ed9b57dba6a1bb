#include "platform/x11/x11_pictures.h"

#include "platform/shared/picture_outline.h"
#include "platform/toolkit/picture.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_painter.h"
#include "platform/x11/x11_rectangles.h"

X11Pictures::~X11Pictures()
{
    Display* display = x_.display();
    for (const auto& [id, entry] : entries_) {
        XFreeGC(display, entry->gc);
        XFreePixmap(display, entry->mask);
        XFreePixmap(display, entry->pixels);
    }
}

const X11Pictures::Entry* X11Pictures::Match(const Picture& picture,
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

std::unique_ptr<X11Pictures::Entry> X11Pictures::Upload(const Picture& picture,
                                                         const pixman_region32_t& outline)
{
    Display* display = x_.display();
    auto entry = std::make_unique<Entry>();
    entry->width = picture.Width();
    entry->height = picture.Height();
    entry->xrgb.assign(picture.TopDownXrgb(),
                       picture.TopDownXrgb() + std::size_t(entry->width) * std::size_t(entry->height));
    pixman_region32_copy(entry->outline.get(), &outline);

    const int scale = x_.Scale();
    const auto width = unsigned(entry->width * scale), height = unsigned(entry->height * scale);
    entry->pixels = XCreatePixmap(display, x_.root(), width, height, unsigned(x_.depth()));
    painter_.Put(entry->pixels, 0, 0, entry->width, entry->height, entry->xrgb.data(),
                 entry->width, scale);

    entry->mask = XCreatePixmap(display, x_.root(), width, height, 1);
    GC mask_gc = XCreateGC(display, entry->mask, 0, nullptr);
    XSetForeground(display, mask_gc, 0);
    XFillRectangle(display, entry->mask, mask_gc, 0, 0, width, height);
    XSetForeground(display, mask_gc, 1);
    std::vector<XRectangle> rectangles;
    XRectanglesOf(outline, rectangles, scale);
    XFillRectangles(display, entry->mask, mask_gc, rectangles.data(), int(rectangles.size()));
    XFreeGC(display, mask_gc);

    XGCValues values{};
    values.clip_mask = entry->mask;
    values.graphics_exposures = False;
    entry->gc = XCreateGC(display, x_.DepthDrawable(), GCClipMask | GCGraphicsExposures, &values);
    return entry;
}

void X11Pictures::Copy(const Entry& entry, Drawable target, int x, int y)
{
    Display* display = x_.display();
    const int scale = x_.Scale();
    XSetClipOrigin(display, entry.gc, x * scale, y * scale);
    XCopyArea(display, entry.pixels, target, entry.gc, 0, 0, unsigned(entry.width * scale),
              unsigned(entry.height * scale), x * scale, y * scale);
    ++copies_;
}
