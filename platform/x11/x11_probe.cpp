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
// millisecond: within one millisecond of the last read, what was read
// already is enough, and so are the answers found then. Even the clock
// costs, asked that often: it is looked at every 16th question only.
void X11Backend::DrainForProbe()
{
    if (++probe_questions_ % 16 == 0 && ReadIsDue())
        Collect(true);
    FreshenProbe();
}

void X11Backend::FreshenProbe()
{
    if (probe_.read_ns == last_read_ns_ && probe_.events == stats_.x_events &&
        probe_.answers == x_.Answered())
        return;
    probe_ = ProbeAnswers{};
    probe_.read_ns = last_read_ns_;
    probe_.events = stats_.x_events;
    probe_.answers = x_.Answered();
}

HWND X11Backend::ForegroundWindow()
{
    DrainForProbe();
    if (!probe_.active_known) {
        probe_.active = reinterpret_cast<HWND>(uintptr_t(foreground_.Active()));
        probe_.active_known = true;
    }
    return probe_.active;
}

int X11Backend::WindowText(HWND hwnd, char* buffer, int max_count)
{
    DrainForProbe();
    if (probe_.titled != hwnd || hwnd == nullptr) {
        std::string title;
        probe_.titled = hwnd;
        probe_.titled_ok = foreground_.Title(WindowOf(hwnd), title);
        probe_.title = std::move(title);
    }
    if (!probe_.titled_ok || max_count <= 0)
        return 0;
    const int length =
        int(std::min<std::size_t>(probe_.title.size(), std::size_t(max_count - 1)));
    std::memcpy(buffer, probe_.title.data(), std::size_t(length));
    buffer[length] = '\0';
    return length;
}

bool X11Backend::WindowRect(HWND hwnd, RECT* rect)
{
    DrainForProbe();
    if (probe_.placed != hwnd || hwnd == nullptr) {
        RECT found{};
        probe_.placed = hwnd;
        probe_.placed_ok = foreground_.Rect(WindowOf(hwnd), found);
        const int scale = x_.Scale();
        probe_.rect = RECT{Logical(found.left, scale), Logical(found.top, scale),
                           Logical(found.right, scale), Logical(found.bottom, scale)};
    }
    if (!probe_.placed_ok)
        return false;
    *rect = probe_.rect;
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
