// The command line's choice of desktop: --backend=x11 or --backend=wayland.
#pragma once

#include <optional>
#include <string>

#include "platform/toolkit/command_line.h"

enum class BackendChoice { kAutomatic, kX11, kWayland };

// The row of the option table.
CommandOption BackendOption();
// The choice the line makes; nullopt and a message in `error` for a
// desktop walkers does not know.
std::optional<BackendChoice> ChosenBackend(const ParsedCommandLine& line, std::string& error);
