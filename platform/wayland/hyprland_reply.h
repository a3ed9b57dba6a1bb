// Hyprland's answers: `j/activewindow` (a JSON object with `at`, `size`,
// `title` and `address`, or `{}` without a focused window) and the lines of
// its event socket ("name>>data").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wayland/focus_source.h"

namespace hyprland_reply {

// Hyprland draws no title bars of its own: the window is `at` and `size`.
// `floating`, when given, tells whether the window floats.
std::optional<FocusedWindow> ActiveWindow(std::string_view json, bool* floating = nullptr);

// Splits complete lines off `buffer` and returns the names of their events;
// an unfinished last line stays in `buffer`.
std::vector<std::string> TakeEventNames(std::string& buffer);
// Whether an event may change the focused window, its title or its place
// (a window opened or closed lays the tiled ones out anew).
bool ConcernsFocus(std::string_view event_name);

} // namespace hyprland_reply
