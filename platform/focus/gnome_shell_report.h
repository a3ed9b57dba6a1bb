// What walkers' GNOME Shell extension says of the focused window (its
// FocusChanged signal and its Focused method carry the same fields), and
// how that becomes the focused window the probe answers from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <systemd/sd-bus.h>

#include "platform/focus/focus_source.h"

struct GnomeShellReport {
    uint64_t id = 0; // the shell's window id; 0 when no window has the focus
    std::string title;
    int x = 0, y = 0, width = 0, height = 0; // get_frame_rect(): the frame a person sees
    bool x11 = false;                        // a window of Xwayland
};

// The report's fields, read from a signal or a method's reply; nothing when
// the message holds something else.
std::optional<GnomeShellReport> ReadGnomeShellReport(sd_bus_message* message);

// The focused window the report tells of, in the stage's pixels (which are
// Xwayland's root pixels): nothing for no window. `malformed` is set for a
// report no shell sends (an empty or huge frame, a title past any bound),
// which is then dropped.
std::optional<FocusedWindow> FocusedOfReport(const GnomeShellReport& report, bool& malformed);
