// The user32 calls on Wayland: the probe's questions about the foreground
// window, answered from what the focus source knew at the start of the tick
// or learnt from events since, and the calls on the program's own windows.
#include <algorithm>
#include <cstring>

#include "platform/shared/screen_metrics.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_form_window.h"

const FocusedWindow* WaylandBackend::Focused(HWND hwnd) const
{
    if (!focused_ || hwnd == nullptr || reinterpret_cast<uintptr_t>(hwnd) != focused_->id)
        return nullptr;
    return &*focused_;
}

HWND WaylandBackend::ForegroundWindow()
{
    if (!focused_ || focused_->id == 0)
        return nullptr;
    return reinterpret_cast<HWND>(uintptr_t(focused_->id));
}

int WaylandBackend::WindowText(HWND hwnd, char* buffer, int max_count)
{
    const FocusedWindow* window = Focused(hwnd);
    if (!window || max_count <= 0)
        return 0;
    const std::string& title = window->title;
    const int length = int(std::min<std::size_t>(title.size(), std::size_t(max_count - 1)));
    std::memcpy(buffer, title.data(), std::size_t(length));
    buffer[length] = '\0';
    return length;
}

// In canvas pixels: the layout's, from its top-left corner.
bool WaylandBackend::WindowRect(HWND hwnd, RECT* rect)
{
    const FocusedWindow* window = Focused(hwnd);
    if (!window)
        return false;
    int left = 0, top = 0, right = 0, bottom = 0;
    connection_.Bounds(left, top, right, bottom);
    *rect = RECT{window->left - left, window->top - top, window->right - left,
                 window->bottom - top};
    return true;
}

int WaylandBackend::SystemMetric(int index)
{
    return ScreenMetric(index, ScreenWidthPixels(), ScreenHeightPixels());
}

bool WaylandBackend::SetWindowRegion(HWND hwnd, HRGN region, bool redraw)
{
    (void)redraw; // a new region is always shown
    WaylandFormWindow* window = FindForm(hwnd);
    return window && window->SetRegion(region);
}

// Only the program's own windows. The overlay layer is above all windows
// already, so HWND_TOPMOST has nothing left to do.
bool WaylandBackend::SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx,
                                       int cy, unsigned flags)
{
    (void)insert_after;
    WaylandFormWindow* window = FindForm(hwnd);
    if (!window)
        return false;
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        const RECT now = window->Placement();
        const int left = (flags & SWP_NOMOVE) ? int(now.left) : x;
        const int top = (flags & SWP_NOMOVE) ? int(now.top) : y;
        const int width = (flags & SWP_NOSIZE) ? int(now.right - now.left) : cx;
        const int height = (flags & SWP_NOSIZE) ? int(now.bottom - now.top) : cy;
        window->Place(left, top, width, height);
    }
    if (flags & SWP_SHOWWINDOW)
        window->SetVisible(true);
    else if (flags & SWP_HIDEWINDOW)
        window->SetVisible(false);
    return true;
}
