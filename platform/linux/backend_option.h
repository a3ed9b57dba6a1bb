// The command line's choice of desktop: --backend=x11 or --backend=wayland.
#pragma once

#include <optional>
#include <string>

enum class BackendChoice { kAutomatic, kX11, kWayland };

// The choice the arguments make (the last --backend= wins); nullopt and a
// message in `error` for a desktop walkers does not know. Other arguments
// are left to whoever reads them.
std::optional<BackendChoice> ParseBackendOption(int argc, char* argv[], std::string& error);
