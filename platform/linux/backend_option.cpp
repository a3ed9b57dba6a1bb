#include "platform/linux/backend_option.h"

CommandOption BackendOption()
{
    return {"backend", 0, "DESKTOP",
            "run on wayland or x11 (default: Wayland when its compositor offers an overlay "
            "layer, else X11); the figures follow the windows of X11 window managers, sway, "
            "Hyprland, KDE Plasma and GNOME"};
}

std::optional<BackendChoice> ChosenBackend(const ParsedCommandLine& line, std::string& error)
{
    const auto given = line.given.find("backend");
    if (given == line.given.end())
        return BackendChoice::kAutomatic;
    if (given->second == "x11")
        return BackendChoice::kX11;
    if (given->second == "wayland")
        return BackendChoice::kWayland;
    error = "unknown desktop \"" + given->second + "\" for --backend (wayland or x11)";
    return std::nullopt;
}
