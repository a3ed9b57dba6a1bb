// The wlroots compositors' focus sources, found from the environment.
#pragma once

#include "platform/focus/focus_source.h"

// The source for the wlroots compositor this session runs under: sway,
// Hyprland, or none (no foreground window ever).
std::unique_ptr<FocusSource> FindFocusSource();
// What the program says once when it follows no compositor.
extern const char kNoFocusSourceMessage[];
