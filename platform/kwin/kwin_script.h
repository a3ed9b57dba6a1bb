// The KWin script walkers loads: it reports the active window to walkers'
// own name on the session bus when it starts, when another window is
// activated, and when the active one's caption or frame changes. One text
// serves KWin 5.27 (activeClient, clientActivated) and 6 (activeWindow,
// windowActivated).
#pragma once

#include <string>
#include <sys/types.h>

namespace kwin_script {

// Where the script calls: walkers' object and interface, and its method
// Report(s), which takes the JSON text kwin_report reads.
inline constexpr char kPath[] = "/io/github/walkers/KWin";
inline constexpr char kInterface[] = "io.github.walkers.KWin";
inline constexpr char kMethod[] = "Report";

// The script for a walkers reached at `bus_name` whose process is `pid`
// (its own overlay is never reported).
std::string Text(const std::string& bus_name, pid_t pid);

} // namespace kwin_script
