#include "platform/x11/x11_xwayland.h"

#include <cstdlib>
#include <string_view>

namespace x11_xwayland {

namespace {

bool IsXWayland(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(display, "XWAYLAND", &opcode, &event, &error);
}

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool WlrootsDesktop()
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (!desktop)
        return false;
    const std::string_view name(desktop);
    for (std::string_view known : {"sway", "Hyprland", "river", "wayfire", "labwc", "niri"})
        if (name.find(known) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

bool UnderWlroots(Display* display)
{
    if (!IsXWayland(display))
        return false;
    return Set("SWAYSOCK") || Set("HYPRLAND_INSTANCE_SIGNATURE") || WlrootsDesktop();
}

} // namespace x11_xwayland
