// The user32 calls on X11: the probe's questions about the foreground
// window, answered from the state that X events keep current, and the calls
// that act on the program's own windows.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/shared/screen_metrics.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_window.h"

namespace {

Window WindowOf(HWND hwnd) { return Window(reinterpret_cast<uintptr_t>(hwnd)); }

// A screen coordinate in the program's pixels, rounded towards the top left.
LONG Logical(LONG screen, int scale)
{
    return screen >= 0 ? screen / scale : -((-screen + scale - 1) / scale);
}

} // namespace

// The probe's calls look at what has arrived first. A read of the socket
// costs a system call, and a tick asks some two hundred questions within a
// millisecond: within one millisecond of the last read, what Xlib holds
// already is enough.
void X11Backend::DrainForProbe() { Collect(ReadIsDue()); }

HWND X11Backend::ForegroundWindow()
{
    DrainForProbe();
    const Window active = foreground_.Active();
    return reinterpret_cast<HWND>(uintptr_t(active));
}

int X11Backend::WindowText(HWND hwnd, char* buffer, int max_count)
{
    DrainForProbe();
    std::string title;
    if (!foreground_.Title(WindowOf(hwnd), title) || max_count <= 0)
        return 0;
    const int length = int(std::min<std::size_t>(title.size(), std::size_t(max_count - 1)));
    std::memcpy(buffer, title.data(), std::size_t(length));
    buffer[length] = '\0';
    return length;
}

bool X11Backend::WindowRect(HWND hwnd, RECT* rect)
{
    DrainForProbe();
    if (!foreground_.Rect(WindowOf(hwnd), *rect))
        return false;
    const int scale = x_.Scale();
    *rect = RECT{Logical(rect->left, scale), Logical(rect->top, scale), Logical(rect->right, scale),
                 Logical(rect->bottom, scale)};
    return true;
}

int X11Backend::SystemMetric(int index)
{
    return ScreenMetric(index, ScreenWidthPixels(), ScreenHeightPixels());
}

bool X11Backend::SetWindowRegion(HWND hwnd, HRGN region, bool redraw)
{
    (void)redraw; // the new shape's pixels are always sent
    X11FormWindow* window = FindForm(hwnd);
    return window && window->SetRegion(region);
}

// Only the program's own windows: the z-order (HWND_TOPMOST keeps a window
// above all others), the place, and showing or hiding.
bool X11Backend::SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                                   unsigned flags)
{
    X11FormWindow* window = FindForm(hwnd);
    if (!window)
        return false;
    if (!(flags & SWP_NOZORDER) && insert_after == HWND_TOPMOST)
        window->SetTopmost(true);
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        // Keep what the flags say to keep.
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
