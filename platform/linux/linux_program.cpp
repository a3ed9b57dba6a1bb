// The program's start on Linux: the command line, then the desktop the
// session runs, which decides two things apart: the overlay that shows the
// figures (a Wayland layer-shell surface, or an X11 shaped window) and the
// focus source that says which window is in front. The command line may
// choose the overlay.
#include "platform/toolkit/program.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/dbus/bus_stop.h"
#include "platform/kwin/kwin_focus_source.h"
#include "platform/linux/backend_option.h"
#include "platform/linux/desktop.h"
#include "platform/linux/gnome_shell_program.h"
#include "platform/wayland/focus_source.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_program.h"
#include "platform/x11/x11_program.h"

namespace {

// Status 2: there is nowhere to show the figures, or the command line is wrong.
constexpr int kNoDisplay = 2;

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// --stop: every walkers of the session through its bus; without a bus, or
// when none answers there, those marked on this X display.
int Stop(SessionBus* bus, const std::function<Form&()>& startup_form)
{
    if (bus)
        if (const std::optional<int> status = StopOverBus(*bus, std::cerr))
            return *status;
    if (Set("DISPLAY"))
        return RunX11Program(true, startup_form);
    std::fprintf(stderr, "walkers: no walkers of yours are running in this session\n");
    return 1;
}

// The focus source for the Wayland overlay on `desktop`.
std::unique_ptr<FocusSource> WaylandFocusSource(Desktop desktop, SessionBus* bus)
{
    if (desktop == Desktop::kKdePlasma && bus) {
        std::string error;
        if (std::unique_ptr<FocusSource> kwin = StartKWinFocusSource(*bus, error))
            return kwin;
        std::fprintf(stderr, "walkers: %s\n", error.c_str());
    }
    return FindFocusSource();
}

// The bus (if any) in a loop's poll, offering this walkers to --stop: only
// a loop that polls the bus can answer one.
struct StopOverBusOffer {
    explicit StopOverBusOffer(SessionBus* bus)
    {
        if (!bus)
            return;
        service = std::make_unique<BusStopService>(*bus);
        watched.push_back(bus);
    }
    std::vector<LoopSource*> watched;
    std::unique_ptr<BusStopService> service;
};

// The X11 overlay following the window manager.
int RunOnX11(SessionBus* bus, const std::function<Form&()>& startup_form)
{
    const StopOverBusOffer offer(bus);
    return RunX11Program(X11BackendSetup{}, offer.watched, startup_form);
}

} // namespace

int RunProgram(int argc, char* argv[], const std::function<Form&()>& startup_form)
{
    std::vector<CommandOption> options = CommonOptions();
    options.push_back({"stop", 0, "", "end the walkers running in this session"});
    options.push_back(BackendOption());
    const ParsedCommandLine line = ParseCommandLine(options, argc, argv);
    if (const std::optional<int> status = AnswerCommonOptions(line, options, std::cout, std::cerr))
        return *status;
    std::string error;
    const std::optional<BackendChoice> choice = ChosenBackend(line, error);
    if (!choice) {
        std::fprintf(stderr, "walkers: %s\n", error.c_str());
        return kNoDisplay;
    }
    // The session bus, when there is one: --stop reaches this walkers
    // through it, and some desktops say which window is in front only there.
    std::unique_ptr<SessionBus> bus = SessionBus::Open();
    if (line.Has("stop"))
        return Stop(bus.get(), startup_form);
    const Desktop desktop = FindDesktop(bus.get());
    // GNOME Shell offers no layer-shell: its overlay is X11's, on Xwayland.
    if (desktop == Desktop::kGnomeShell && Set("WAYLAND_DISPLAY") &&
        *choice != BackendChoice::kWayland)
        return RunOnGnomeShell(bus.get(), startup_form);
    if (*choice == BackendChoice::kX11)
        return RunOnX11(bus.get(), startup_form);
    if (*choice == BackendChoice::kWayland || Set("WAYLAND_DISPLAY")) {
        WaylandConnection connection;
        if (connection.Usable()) {
            const StopOverBusOffer offer(bus.get());
            return RunWaylandProgram(connection, WaylandFocusSource(desktop, bus.get()),
                                     offer.watched, startup_form);
        }
        if (*choice == BackendChoice::kWayland) {
            std::fprintf(stderr, "walkers: %s\n",
                         connection.Connected()
                             ? "the Wayland compositor offers no layer-shell overlay"
                             : "cannot connect to a Wayland compositor (WAYLAND_DISPLAY)");
            return kNoDisplay;
        }
    }
    if (Set("DISPLAY"))
        return RunOnX11(bus.get(), startup_form);
    std::fprintf(stderr, "walkers needs a Wayland compositor with layer-shell (WAYLAND_DISPLAY) "
                         "or an X11 display (DISPLAY), and has neither\n");
    return kNoDisplay;
}
