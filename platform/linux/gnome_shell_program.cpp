#include "platform/linux/gnome_shell_program.h"

#include <cstdio>
#include <cstdlib>

#include "platform/dbus/bus_stop.h"
#include "platform/dbus/session_bus.h"
#include "platform/focus/gnome_shell_focus_source.h"
#include "platform/x11/x11_program.h"

namespace {

constexpr int kNoDisplay = 2;

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int RunOnGnomeShell(SessionBus* bus, const std::function<Form&()>& startup_form)
{
    if (!bus) {
        std::fprintf(stderr, "walkers: GNOME Shell says which window has the focus only on the "
                             "session bus, and there is none (DBUS_SESSION_BUS_ADDRESS)\n");
        return kNoDisplay;
    }
    if (!Set("DISPLAY")) {
        std::fprintf(stderr, "walkers: on GNOME the figures are shown through Xwayland, and "
                             "DISPLAY is not set\n");
        return kNoDisplay;
    }
    std::string problem;
    X11BackendSetup setup;
    setup.focus = GnomeShellFocusSource::Start(*bus, problem);
    if (!setup.focus) {
        std::fprintf(stderr, "walkers: %s\n", problem.c_str());
        return kNoDisplay;
    }
    // Mutter draws a shadow round an opaque shaped window.
    setup.argb_visual = true;
    // --stop reaches this walkers through the bus.
    BusStopService stop_service(*bus);
    return RunX11Program(std::move(setup), {bus}, startup_form);
}
