// What the KWin script reports: one JSON text per change of the active
// window, `{}` when none is active, else its id, caption and frame (the
// rectangle with the title bar, in the layout's logical pixels). Anything
// else is dropped: the interface is open to every program of the session.
#pragma once

#include <optional>
#include <string>

#include "platform/focus/focus_source.h"

namespace kwin_report {

struct Report {
    // Empty when no window is active.
    std::optional<FocusedWindow> window;
};

// The report in `text`, or nothing when it is malformed.
std::optional<Report> Parse(const std::string& text);

// A number that names KWin's window id (a UUID's text) for the probe: never
// 0, and below the handles of walkers' own windows (2^40).
uint64_t WindowNumber(const std::string& id);

} // namespace kwin_report
