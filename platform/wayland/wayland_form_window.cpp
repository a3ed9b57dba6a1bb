#include "platform/wayland/wayland_form_window.h"

#include <algorithm>

#include "platform/toolkit/form.h"
#include "platform/wayland/wayland_backend.h"

WaylandFormWindow::WaylandFormWindow(WaylandBackend& backend, Form& owner, HWND handle)
    : backend_(backend), owner_(owner), handle_(handle),
      surface_(0, 0, XrgbOfBackColor(owner.BackColor()))
{
}

WaylandFormWindow::~WaylandFormWindow()
{
    backend_.Forget(handle_);
    surfaces_.clear();
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
    for (const auto& surface : surfaces_)
        surface->Present(surface_.Image(), *shape_.get(), left + x_, top + y_);
}

bool WaylandFormWindow::Clicked(wl_surface* surface, double x, double y) const
{
    for (const auto& own : surfaces_)
        if (own->Surface() == surface)
            return own->Contains(x, y);
    return false;
}
