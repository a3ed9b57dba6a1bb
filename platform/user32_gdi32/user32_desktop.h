// The desktop behind the project's own user32 calls. A backend (the simulated
// desktop or X11) installs itself here; the calls forward to it.
#pragma once

#include "platform/user32_gdi32/win_constants.h"

class User32Desktop {
public:
    virtual ~User32Desktop() = default;

    virtual HWND ForegroundWindow() = 0;
    // Copies at most max_count - 1 bytes of the title and a NUL; returns the
    // length copied, 0 for an unknown window (buffer untouched then).
    virtual int WindowText(HWND hwnd, char* buffer, int max_count) = 0;
    virtual bool WindowRect(HWND hwnd, RECT* rect) = 0;
    virtual int SystemMetric(int index) = 0;
    // On success the window owns `region` (0 removes the window's region) and
    // deletes the region it had; on failure the caller still owns it.
    virtual bool SetWindowRegion(HWND hwnd, HRGN region, bool redraw) = 0;
    virtual bool SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                                   unsigned flags) = 0;
};

void InstallUser32Desktop(User32Desktop* desktop);
User32Desktop* InstalledUser32Desktop();
