// GetSystemMetrics on a desktop of the project's own backends: the screen's
// size and a caption of fixed height. The canvas covers the screen's full
// height: the full-screen area and a caption together make it.
#pragma once

#include "platform/winapi.h"

constexpr int kCaptionHeight = 23;

inline int ScreenMetric(int index, int screen_width, int screen_height)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return screen_width;
    case SM_CYSCREEN:
        return screen_height;
    case SM_CYCAPTION:
        return kCaptionHeight;
    case SM_CYFULLSCREEN:
        return screen_height - kCaptionHeight;
    default:
        return 0;
    }
}
