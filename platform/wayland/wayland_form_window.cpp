#include "platform/wayland/wayland_form_window.h"

#include <algorithm>

#include "platform/toolkit/picture.h"
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/wayland/wayland_backend.h"

namespace {

// The image starts as the form's default button face; Cls sets the colour.
constexpr uint32_t kButtonFace = 0xF0F0F0;

} // namespace

WaylandFormWindow::WaylandFormWindow(WaylandBackend& backend, Form& owner, HWND handle)
    : backend_(backend), owner_(owner), handle_(handle), image_(0, 0, kButtonFace)
{
    dc_ = gdi32_internals::CreateImageDC(&image_);
}

WaylandFormWindow::~WaylandFormWindow()
{
    backend_.Forget(handle_);
    surfaces_.clear();
    if (region_)
        DeleteObject(region_);
    gdi32_internals::DeleteImageDC(dc_);
}

void WaylandFormWindow::Place(int x, int y, int width, int height)
{
    x_ = x;
    y_ = y;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    image_.Resize(width_, height_);
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

void WaylandFormWindow::Clear(COLORREF color) { gdi32_internals::Clear(dc_, color); }

void WaylandFormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    if (picture.Empty())
        return;
    gdi32_internals::CopyPicture(dc_, x, y, picture.Width(), picture.Height(),
                                 picture.TopDownXrgb(), picture.Width());
}

bool WaylandFormWindow::SetRegion(HRGN region)
{
    if (region && !gdi32_internals::RegionOf(region))
        return false;
    if (region != region_) {
        if (region_)
            DeleteObject(region_);
        region_ = region;
    }
    ComputeShape();
    Present();
    return true;
}

void WaylandFormWindow::ComputeShape()
{
    PixmanRegion bounds(0, 0, width_, height_);
    const pixman_region32_t* region = region_ ? gdi32_internals::RegionOf(region_) : nullptr;
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
    for (const auto& surface : surfaces_)
        surface->Present(image_, *shape_.get(), left + x_, top + y_);
}

bool WaylandFormWindow::Clicked(wl_surface* surface, double x, double y) const
{
    for (const auto& own : surfaces_)
        if (own->Surface() == surface)
            return own->Contains(x, y);
    return false;
}
