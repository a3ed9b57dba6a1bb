// The user32 calls on Wayland: the probe's questions about the foreground
// window, answered from what the focus source knew at the start of the tick
// or learnt from events since, and the calls on the program's own windows.
#include "platform/shared/focused_window_answers.h"
#include "platform/shared/screen_metrics.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_form_window.h"

HWND WaylandBackend::ForegroundWindow() { return focused_answers::Handle(focused_); }

int WaylandBackend::WindowText(HWND hwnd, char* buffer, int max_count)
{
    return focused_answers::Title(focused_, hwnd, buffer, max_count);
}

// In canvas pixels: the layout's, from its top-left corner.
bool WaylandBackend::WindowRect(HWND hwnd, RECT* rect)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    connection_.Bounds(left, top, right, bottom);
    return focused_answers::Rect(focused_, hwnd, left, top, 1, rect);
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
    PlaceAsFlagsSay(*window, x, y, cx, cy, flags);
    return true;
}
