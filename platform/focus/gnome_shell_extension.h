// At start on GNOME: the shell must run walkers' extension, or nothing says
// which window has the focus. One that is installed but off is turned on;
// one the shell does not know (installed while the session ran; the shell
// looks for extensions only when it starts) needs the user to log out and
// in once, which walkers says rather than follow nothing.
#pragma once

#include <string>

class SessionBus;

namespace gnome_shell_extension {

inline constexpr char kUuid[] = "walkers@walkers.github.io";

// Whether the shell runs the extension now, having turned it on if need
// be; if not, the one line that says why and what to do.
bool EnsureRunning(SessionBus& bus, std::string& problem);

} // namespace gnome_shell_extension
