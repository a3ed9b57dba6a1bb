#include "platform/wayland/wayland_form_window.h"

#include <algorithm>

#include "platform/toolkit/form.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/wayland/wayland_backend.h"

WaylandFormWindow::WaylandFormWindow(WaylandBackend& backend, Form& owner, HWND handle)
    : backend_(backend), owner_(owner), handle_(handle),
      surface_(0, 0, XrgbOfBackColor(owner.BackColor())),
      image_(*gdi32_internals::ImageOf(surface_.DC()))
{
}

WaylandFormWindow::~WaylandFormWindow()
{
    image_.Defer(nullptr);
    backend_.Forget(handle_);
    surfaces_.clear();
}

// A clear starts a new record; what the image held is gone either way.
void WaylandFormWindow::Clear(COLORREF color)
{
    image_.Defer(nullptr);
    surface_.Clear(color);
    stamps_.clear();
    recording_ = backend_.Connection().subcompositor() != nullptr;
    if (!recording_)
        return;
    image_.Defer(this);
    recorded_changes_ = image_.Changes();
}

void WaylandFormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    if (recording_) {
        const pixman_region32_t* clip = gdi32_internals::ClipOf(surface_.DC());
        if (const WaylandPicture* kept = clip ? pictures_.Match(picture, *clip, x, y) : nullptr) {
            stamps_.push_back(WaylandStamp{kept, x, y});
            return;
        }
    }
    surface_.DrawPicture(picture, x, y); // settles the stamps first
}

// Something reads or changes the image: the stamps go into it, and from
// now until the next clear the image is what is shown.
void WaylandFormWindow::Settle(TiledImage& image)
{
    PixmanRegion outline;
    for (const WaylandStamp& stamp : stamps_) {
        const WaylandPicture& picture = *stamp.picture;
        pixman_region32_copy(outline.get(), picture.outline.get());
        pixman_region32_translate(outline.get(), stamp.x, stamp.y);
        image.CopyPicture(outline.get(), stamp.x, stamp.y, picture.width, picture.height,
                          picture.xrgb.data(), picture.width);
    }
    recording_ = false;
}

void WaylandFormWindow::Place(int x, int y, int width, int height)
{
    x_ = x;
    y_ = y;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    surface_.Resize(width_, height_);
    ComputeShape();
    Present();
}

void WaylandFormWindow::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    FollowOutputs();
}

void WaylandFormWindow::FollowOutputs()
{
    surfaces_.clear();
    if (!visible_)
        return;
    for (const auto& output : backend_.Connection().Outputs())
        surfaces_.push_back(std::make_unique<WaylandOutputSurface>(
            backend_.Connection(), *output, [this] { Present(); }));
}

bool WaylandFormWindow::SetRegion(HRGN region)
{
    if (!surface_.AdoptRegion(region))
        return false;
    ComputeShape();
    Present();
    return true;
}

void WaylandFormWindow::ComputeShape()
{
    PixmanRegion bounds(0, 0, width_, height_);
    const pixman_region32_t* region = surface_.RegionArea();
    if (region)
        pixman_region32_intersect(shape_.get(), region, bounds.get());
    else
        pixman_region32_copy(shape_.get(), bounds.get());
}

// The window's place is in canvas pixels, whose origin is the layout's
// top-left corner.
void WaylandFormWindow::Present()
{
    int left = 0, top = 0, right = 0, bottom = 0;
    backend_.Connection().Bounds(left, top, right, bottom);
    const bool stamps = recording_ && image_.Changes() == recorded_changes_ &&
                        StampsCover(stamps_, *shape_.get());
    for (const auto& surface : surfaces_)
        if (!stamps || !surface->PresentStamps(stamps_, *shape_.get(), left + x_, top + y_))
            surface->Present(surface_.Image(), *shape_.get(), left + x_, top + y_);
}

bool WaylandFormWindow::Clicked(wl_surface* surface, double x, double y) const
{
    for (const auto& own : surfaces_)
        if (own->Clicked(surface, x, y))
            return true;
    return false;
}
