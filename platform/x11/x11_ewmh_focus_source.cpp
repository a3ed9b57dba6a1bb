#include "platform/x11/x11_ewmh_focus_source.h"

#include "platform/x11/x11_foreground.h"

void X11EwmhFocusSource::Refresh() { foreground_.Progress(); }

std::optional<FocusedWindow> X11EwmhFocusSource::Focused() const
{
    const xcb_window_t active = foreground_.Active();
    if (active == XCB_NONE)
        return std::nullopt;
    FocusedWindow focused;
    focused.id = active;
    // A window without a title has an empty one; a frame is missing only
    // for a window that went meanwhile.
    if (!foreground_.Title(active, focused.title))
        focused.title.clear();
    RECT rect{};
    if (!foreground_.Rect(active, rect))
        return std::nullopt;
    focused.left = int(rect.left);
    focused.top = int(rect.top);
    focused.right = int(rect.right);
    focused.bottom = int(rect.bottom);
    return focused;
}
