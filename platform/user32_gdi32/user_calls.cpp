// The user32 calls, forwarded to the installed desktop backend. With none
// installed they fail harmlessly, as they would for an unknown window.
#include <algorithm>

#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/user32_gdi32/win_calls.h"

namespace {

User32Desktop* installed_desktop = nullptr;

} // namespace

void InstallUser32Desktop(User32Desktop* desktop) { installed_desktop = desktop; }

User32Desktop* InstalledUser32Desktop() { return installed_desktop; }

HWND GetForegroundWindow(void)
{
    return installed_desktop ? installed_desktop->ForegroundWindow() : nullptr;
}

// The caller gets at most max_count - 1 bytes and a NUL whatever the backend
// reports; a null or unknown window leaves the buffer as it was.
int GetWindowTextA(HWND hwnd, LPSTR buffer, int max_count)
{
    if (!installed_desktop || !hwnd || !buffer || max_count <= 0)
        return 0;
    const int length = installed_desktop->WindowText(hwnd, buffer, max_count);
    if (length <= 0)
        return 0;
    const int kept = std::min(length, max_count - 1);
    buffer[kept] = '\0';
    return kept;
}

// The backend writes into a copy, so a failure leaves the caller's rectangle
// as it was even if the backend wrote part of it.
BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    if (!installed_desktop || !hwnd || !rect)
        return FALSE;
    RECT answer = *rect;
    if (!installed_desktop->WindowRect(hwnd, &answer))
        return FALSE;
    *rect = answer;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    return installed_desktop ? installed_desktop->SystemMetric(index) : 0;
}

// On success the window owns the region; on failure the caller still does.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    if (!installed_desktop || !hwnd)
        return 0;
    return installed_desktop->SetWindowRegion(hwnd, region, redraw != FALSE) ? 1 : 0;
}

BOOL SetWindowPos(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy, UINT flags)
{
    if (!installed_desktop || !hwnd)
        return FALSE;
    return installed_desktop->SetWindowPosition(hwnd, insert_after, x, y, cx, cy, flags);
}
