#include "platform/x11/x11_xwayland.h"

#include <X11/extensions/Xrandr.h>
#include <cstdlib>
#include <string_view>

namespace x11_xwayland {

namespace {

// XWayland names its RandR outputs XWAYLAND0, XWAYLAND1, ...
bool HasXWaylandOutput(Display* display)
{
    int event = 0, error = 0;
    if (!XRRQueryExtension(display, &event, &error))
        return false;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources)
        return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i)
        if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
            found = std::string_view(output->name, std::size_t(output->nameLen))
                        .starts_with("XWAYLAND");
            XRRFreeOutputInfo(output);
        }
    XRRFreeScreenResources(resources);
    return found;
}

// Releases from 23.1 on announce themselves with an extension; older ones
// (Debian 12's 22.1) are known by their outputs' names.
bool IsXWayland(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(display, "XWAYLAND", &opcode, &event, &error) ||
           HasXWaylandOutput(display);
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
