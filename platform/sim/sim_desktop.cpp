#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_compositor.h"
#include "platform/sim/sim_form_window.h"
#include "platform/sim/sim_window_stack.h"
#include "platform/shared/form_surface.h"
#include "platform/toolkit/random_source.h"
#include "platform/toolkit/twips.h"

SimDesktop::SimDesktop() : stack_(std::make_shared<SimWindowStack>())
{
    InstallBackend(this);
    InstallUser32Desktop(this);
    ResetRandomSource();
}

SimDesktop::~SimDesktop()
{
    // Whatever the test left running goes now, while this desktop can still
    // take back its windows.
    toolkit::EndRun();
    if (InstalledUser32Desktop() == this)
        InstallUser32Desktop(nullptr);
    InstallBackend(nullptr);
}

HWND SimDesktop::AddWindow(std::string title, RECT rect)
{
    SimTopLevel window;
    window.title = std::move(title);
    window.rect = rect;
    const HWND handle = stack_->Add(std::move(window)).handle;
    stack_->SetForeground(handle);
    return handle;
}

void SimDesktop::SetTitle(HWND window, std::string title)
{
    if (SimTopLevel* record = stack_->Find(window))
        record->title = std::move(title);
}

void SimDesktop::SetWindowRect(HWND window, RECT rect)
{
    SimTopLevel* record = stack_->Find(window);
    if (!record)
        return;
    if (record->form)
        record->form->Place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    else
        record->rect = rect;
}

void SimDesktop::Close(HWND window)
{
    const SimTopLevel* record = stack_->Find(window);
    // A form's window closes with its form, not by the script.
    if (record && record->IsScripted())
        stack_->Remove(window);
}

void SimDesktop::SetForeground(HWND window)
{
    stack_->SetForeground(window);
}

HWND SimDesktop::Foreground() const
{
    return stack_->Foreground();
}

std::vector<HWND> SimDesktop::ZOrder() const
{
    std::vector<HWND> handles;
    for (const auto& window : stack_->TopFirst())
        if (window->visible)
            handles.push_back(window->handle);
    return handles;
}

int SimDesktop::ClicksReceivedBy(HWND window) const
{
    const SimTopLevel* record = stack_->Find(window);
    return record ? record->clicks_received : 0;
}

bool SimDesktop::IsTopmost(HWND window) const
{
    const SimTopLevel* record = stack_->Find(window);
    return record && record->topmost;
}

SimFormWindow* SimDesktop::FormWindow(HWND window) const
{
    const SimTopLevel* record = stack_->Find(window);
    return record ? record->form : nullptr;
}

void SimDesktop::SetScreenSize(int width, int height)
{
    screen_.width = width;
    screen_.height = height;
}

void SimDesktop::SetTwipsPerPixel(float x, float y)
{
    screen_.twips_per_pixel_x = x;
    screen_.twips_per_pixel_y = y;
}

void SimDesktop::SetTaskbarHeight(int pixels)
{
    screen_.taskbar_height = pixels;
}

void SimDesktop::SetSystemMetric(int index, int value)
{
    screen_.metric_overrides[index] = value;
}

SimScreenshot SimDesktop::Capture() const
{
    return ComposeScreen(*stack_, screen_.width, screen_.height, screen_.Metric(SM_CYCAPTION));
}

std::unique_ptr<NativeWindow> SimDesktop::NewWindow(Form& form)
{
    const int left = TwipsToPixels(form.Left(), screen_.twips_per_pixel_x);
    const int top = TwipsToPixels(form.Top(), screen_.twips_per_pixel_y);
    const int width = std::max(0, TwipsToPixels(form.Width(), screen_.twips_per_pixel_x));
    const int height = std::max(0, TwipsToPixels(form.Height(), screen_.twips_per_pixel_y));
    return std::make_unique<SimFormWindow>(stack_, form, form.Caption(),
                                           RECT{left, top, left + width, top + height},
                                           XrgbOfBackColor(form.BackColor()));
}

void SimDesktop::ShowMessage(const std::string& text)
{
    messages_.push_back(text);
}

HWND SimDesktop::ForegroundWindow()
{
    ++calls_.foreground_window;
    return stack_->Foreground();
}

int SimDesktop::WindowText(HWND hwnd, char* buffer, int max_count)
{
    ++calls_.window_text;
    const SimTopLevel* record = stack_->Find(hwnd);
    if (!record || !buffer || max_count <= 0)
        return 0;
    const size_t length = std::min(record->title.size(), size_t(max_count - 1));
    std::memcpy(buffer, record->title.data(), length);
    buffer[length] = '\0';
    return int(length);
}

bool SimDesktop::WindowRect(HWND hwnd, RECT* rect)
{
    ++calls_.window_rect;
    const SimTopLevel* record = stack_->Find(hwnd);
    if (!record || !rect)
        return false;
    *rect = record->rect;
    return true;
}

int SimDesktop::SystemMetric(int index)
{
    ++calls_.system_metrics;
    return screen_.Metric(index);
}

bool SimDesktop::SetWindowRegion(HWND hwnd, HRGN region, bool /*redraw*/)
{
    ++calls_.set_window_region;
    // Only the program's own windows take a region.
    SimFormWindow* form = FormWindow(hwnd);
    return form && form->SetRegion(region);
}

bool SimDesktop::SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                                   unsigned flags)
{
    ++calls_.set_window_pos;
    SimTopLevel* record = stack_->Find(hwnd);
    const bool reorder = !(flags & SWP_NOZORDER);
    // Other places in the z-order are not simulated.
    if (!record || (reorder && insert_after != HWND_TOP && insert_after != HWND_TOPMOST))
        return false;

    if (reorder && insert_after == HWND_TOPMOST)
        stack_->MakeTopmost(hwnd);
    else if (reorder)
        stack_->BringToTopOfBand(hwnd);

    RECT r = record->rect;
    if (!(flags & SWP_NOMOVE))
        r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    if (!(flags & SWP_NOSIZE))
        r = RECT{r.left, r.top, r.left + cx, r.top + cy};
    SetWindowRect(hwnd, r);

    if (flags & SWP_SHOWWINDOW)
        stack_->SetVisible(hwnd, true);
    else if (flags & SWP_HIDEWINDOW)
        stack_->SetVisible(hwnd, false);
    return true;
}
