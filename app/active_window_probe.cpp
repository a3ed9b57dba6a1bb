#include "app/active_window_probe.h"

#include <cstring>

#include "platform/toolkit/toolkit.h"
#include "platform/winapi.h"

std::string RGN_ActiveWindowInfo(int32_t mode)
{
    // Both start empty, so with no foreground window the title is empty and
    // every edge is 0.
    char title[128] = {};
    HWND window = GetForegroundWindow();
    GetWindowTextA(window, title, sizeof title);
    RECT rect{0, 0, 0, 0};
    GetWindowRect(window, &rect);

    switch (mode) {
    case 0:
        return std::string(title, strnlen(title, sizeof title));
    case 1:
        return NumberText(double(rect.left) * Screen.TwipsPerPixelX());
    case 2:
        return NumberText(double(rect.top) * Screen.TwipsPerPixelY());
    case 3:
        return NumberText(double(rect.right) * Screen.TwipsPerPixelX());
    case 4:
        return NumberText(double(rect.bottom) * Screen.TwipsPerPixelY());
    default:
        return "";
    }
}

std::string ActiveWindowTitle() { return RGN_ActiveWindowInfo(0); }
int32_t ActiveWindowLeft() { return RoundToInt32(NumericValue(RGN_ActiveWindowInfo(1))); }
int32_t ActiveWindowTop() { return RoundToInt32(NumericValue(RGN_ActiveWindowInfo(2))); }
int32_t ActiveWindowRight() { return RoundToInt32(NumericValue(RGN_ActiveWindowInfo(3))); }
