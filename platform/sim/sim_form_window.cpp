#include "platform/sim/sim_form_window.h"

#include <algorithm>


SimFormWindow::SimFormWindow(std::shared_ptr<SimWindowStack> stack, Form& owner,
                             const std::string& title, RECT rect, uint32_t background_xrgb)
    : stack_(std::move(stack)), owner_(owner),
      surface_(rect.right - rect.left, rect.bottom - rect.top, background_xrgb)
{
    SimTopLevel record;
    record.title = title;
    record.rect = rect;
    record.visible = false;
    record.form = this;
    handle_ = stack_->Add(std::move(record)).handle;
}

SimFormWindow::~SimFormWindow() { stack_->Remove(handle_); }

void SimFormWindow::Place(int x, int y, int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    stack_->Find(handle_)->rect = RECT{x, y, x + width, y + height};
    surface_.Resize(width, height);
}

void SimFormWindow::SetTitle(const std::string& title)
{
    stack_->Find(handle_)->title = title;
}

void SimFormWindow::SetVisible(bool visible)
{
    stack_->SetVisible(handle_, visible);
}

bool SimFormWindow::IsVisible()
{
    return stack_->Find(handle_)->visible;
}

void SimFormWindow::Clear(COLORREF color) { surface_.Clear(color); }

void SimFormWindow::DrawPicture(const Picture& picture, int x, int y)
{
    surface_.DrawPicture(picture, x, y);
}

RECT SimFormWindow::Rect() const
{
    return stack_->Find(handle_)->rect;
}

bool SimFormWindow::HitTest(int x, int y) const
{
    const SimTopLevel* record = stack_->Find(handle_);
    const RECT& r = record->rect;
    if (!record->visible || x < r.left || x >= r.right || y < r.top || y >= r.bottom)
        return false;
    const pixman_region32_t* area = RegionArea();
    return !area ||
           pixman_region32_contains_point(const_cast<pixman_region32_t*>(area), x - r.left,
                                          y - r.top, nullptr);
}
