#include "platform/linux/backend_option.h"

#include <string_view>

std::optional<BackendChoice> ParseBackendOption(int argc, char* argv[], std::string& error)
{
    constexpr std::string_view kOption = "--backend=";
    BackendChoice choice = BackendChoice::kAutomatic;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (!argument.starts_with(kOption))
            continue;
        const std::string_view value = argument.substr(kOption.size());
        if (value == "x11") {
            choice = BackendChoice::kX11;
        } else if (value == "wayland") {
            choice = BackendChoice::kWayland;
        } else {
            error = "unknown backend \"" + std::string(value) + "\" (x11 or wayland)";
            return std::nullopt;
        }
    }
    return choice;
}
