// The user32 calls on X11: the probe's questions about the foreground
// window, answered from what the focus source knows (the EWMH follower keeps
// it current from X events), and the calls that act on the program's own
// windows.
#include "platform/shared/focused_window_answers.h"
#include "platform/shared/screen_metrics.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_window.h"

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
        probe_.answers == x_.Answered() && probe_.source_turns == source_turns_)
        return;
    probe_ = ProbeAnswers{};
    probe_.read_ns = last_read_ns_;
    probe_.events = stats_.x_events;
    probe_.answers = x_.Answered();
    probe_.source_turns = source_turns_;
}

const std::optional<FocusedWindow>& X11Backend::ProbeFocus()
{
    DrainForProbe();
    if (!probe_.focus_known) {
        probe_.focus = focus_->Focused();
        probe_.focus_known = true;
    }
    return probe_.focus;
}

HWND X11Backend::ForegroundWindow() { return focused_answers::Handle(ProbeFocus()); }

int X11Backend::WindowText(HWND hwnd, char* buffer, int max_count)
{
    return focused_answers::Title(ProbeFocus(), hwnd, buffer, max_count);
}

// The focus source's rectangle is in root pixels.
bool X11Backend::WindowRect(HWND hwnd, RECT* rect)
{
    return focused_answers::Rect(ProbeFocus(), hwnd, 0, 0, x_.Scale(), rect);
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
    PlaceAsFlagsSay(*window, x, y, cx, cy, flags);
    return true;
}
