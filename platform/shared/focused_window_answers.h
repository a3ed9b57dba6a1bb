// The probe's questions about the foreground window, answered the same way
// by every overlay from the focused window its focus source knew, and the
// program's own windows placed as SetWindowPos's flags say.
#pragma once

#include <optional>

#include "platform/user32_gdi32/win_constants.h"
#include "platform/focus/focus_source.h"

namespace focused_answers {

// The handle that names the focused window; null for none.
HWND Handle(const std::optional<FocusedWindow>& focused);
// The focused window if `hwnd` names it, else null.
const FocusedWindow* Named(const std::optional<FocusedWindow>& focused, HWND hwnd);
// GetWindowText: the title cut to the buffer, with its terminator; the
// characters copied, 0 for another window.
int Title(const std::optional<FocusedWindow>& focused, HWND hwnd, char* buffer, int max_count);
// GetWindowRect in the program's pixels: the rectangle less the canvas's
// origin, divided by the scale and rounded towards the top left.
bool Rect(const std::optional<FocusedWindow>& focused, HWND hwnd, int origin_left,
          int origin_top, int scale, RECT* rect);

} // namespace focused_answers

// SetWindowPos on one of the program's windows: what the flags keep stays,
// the rest changes. `Window` has Placement(), Place() and SetVisible().
template <class Window>
void PlaceAsFlagsSay(Window& window, int x, int y, int cx, int cy, unsigned flags)
{
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        const RECT now = window.Placement();
        const int left = (flags & SWP_NOMOVE) ? int(now.left) : x;
        const int top = (flags & SWP_NOMOVE) ? int(now.top) : y;
        const int width = (flags & SWP_NOSIZE) ? int(now.right - now.left) : cx;
        const int height = (flags & SWP_NOSIZE) ? int(now.bottom - now.top) : cy;
        window.Place(left, top, width, height);
    }
    if (flags & SWP_SHOWWINDOW)
        window.SetVisible(true);
    else if (flags & SWP_HIDEWINDOW)
        window.SetVisible(false);
}
