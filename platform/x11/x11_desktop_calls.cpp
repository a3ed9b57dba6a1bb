#include "platform/x11/x11_desktop_calls.h"

#include "platform/shared/focused_window_answers.h"
#include "platform/shared/screen_metrics.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_event_loop.h"
#include "platform/x11/x11_form_window.h"
#include "platform/x11/x11_questions.h"
#include "platform/x11/x11_stats.h"
#include "platform/x11/x11_window_registry.h"

// The probe's calls look at what has arrived first. A read of the socket
// costs a system call, and a tick asks some two hundred questions within a
// millisecond: within one millisecond of the last read, what was read
// already is enough, and so are the answers found then. Even the clock
// costs, asked that often: it is looked at every 16th question only.
const std::optional<FocusedWindow>& X11DesktopCalls::Focus()
{
    if (++questions_asked_ % 16 == 0 && loop_.ReadIsDue())
        loop_.Drain();
    if (answers_.read_ns != loop_.LastReadNs() || answers_.events != stats_.x_events ||
        answers_.answers != questions_.Answered() ||
        answers_.source_turns != loop_.SourceTurns()) {
        answers_ = Answers{};
        answers_.read_ns = loop_.LastReadNs();
        answers_.events = stats_.x_events;
        answers_.answers = questions_.Answered();
        answers_.source_turns = loop_.SourceTurns();
    }
    if (!answers_.focus_known) {
        answers_.focus = focus_.Focused();
        answers_.focus_known = true;
    }
    return answers_.focus;
}

HWND X11DesktopCalls::ForegroundWindow() { return focused_answers::Handle(Focus()); }

int X11DesktopCalls::WindowText(HWND hwnd, char* buffer, int max_count)
{
    return focused_answers::Title(Focus(), hwnd, buffer, max_count);
}

// The focus source's rectangle is in root pixels.
bool X11DesktopCalls::WindowRect(HWND hwnd, RECT* rect)
{
    return focused_answers::Rect(Focus(), hwnd, 0, 0, x_.Scale(), rect);
}

int X11DesktopCalls::SystemMetric(int index)
{
    return ScreenMetric(index, x_.RootWidth() / x_.Scale(), x_.RootHeight() / x_.Scale());
}

bool X11DesktopCalls::SetWindowRegion(HWND hwnd, HRGN region, bool redraw)
{
    (void)redraw; // the new shape's pixels are always sent
    X11FormWindow* window = registry_.Find(hwnd);
    return window && window->SetRegion(region);
}

// Only the program's own windows: the z-order (HWND_TOPMOST keeps a window
// above all others), the place, and showing or hiding.
bool X11DesktopCalls::SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx,
                                        int cy, unsigned flags)
{
    X11FormWindow* window = registry_.Find(hwnd);
    if (!window)
        return false;
    if (!(flags & SWP_NOZORDER) && insert_after == HWND_TOPMOST)
        window->SetTopmost(true);
    PlaceAsFlagsSay(*window, x, y, cx, cy, flags);
    return true;
}
