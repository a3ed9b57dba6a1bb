// The user32 calls on X11: the probe's questions about the foreground
// window, answered from what the focus source knows (the EWMH follower
// keeps it current from X events), and the calls that act on the program's
// own windows.
//
// A tick asks about the same window some two hundred times in a fraction
// of a millisecond, and until something is read, observed or answered no
// answer can change: the answers are kept until then.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/focus/focus_source.h"
#include "platform/user32_gdi32/user32_desktop.h"

class X11Connection;
class X11EventLoop;
class X11Questions;
class X11Stats;
class X11WindowRegistry;

class X11DesktopCalls final : public User32Desktop {
public:
    X11DesktopCalls(X11Connection& x, X11EventLoop& loop, const X11Questions& questions,
                    FocusSource& focus, const X11WindowRegistry& registry, const X11Stats& stats)
        : x_(x), loop_(loop), questions_(questions), focus_(focus), registry_(registry),
          stats_(stats)
    {
    }

    HWND ForegroundWindow() override;
    int WindowText(HWND hwnd, char* buffer, int max_count) override;
    bool WindowRect(HWND hwnd, RECT* rect) override;
    int SystemMetric(int index) override;
    bool SetWindowRegion(HWND hwnd, HRGN region, bool redraw) override;
    bool SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                           unsigned flags) override;

private:
    // What the focus source said, as of the last read, observation, answer
    // or turn of a watched source.
    const std::optional<FocusedWindow>& Focus();

    X11Connection& x_;
    X11EventLoop& loop_;
    const X11Questions& questions_;
    FocusSource& focus_;
    const X11WindowRegistry& registry_;
    const X11Stats& stats_;

    struct Answers {
        int64_t read_ns = -1;
        uint64_t events = 0;
        uint64_t answers = 0;
        uint64_t source_turns = 0;
        bool focus_known = false;
        std::optional<FocusedWindow> focus;
    } answers_;
    unsigned questions_asked_ = 0;
};
