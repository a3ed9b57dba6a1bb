// The program on X11: the X display, the backend, the start-up form and
// the exit status; or, for --stop, ending the walkers running there.
#include "platform/x11/x11_program.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/shared/run_on_backend.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_xwayland.h"

namespace {

// Status 2: there is nowhere to show the figures.
constexpr int kNoDisplay = 2;

// $DISPLAY, opened, or null having said why.
Display* OpenDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        std::fprintf(stderr, "walkers: DISPLAY is not set\n");
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        std::fprintf(stderr, "walkers: cannot open the X display \"%s\"\n", name);
        return nullptr;
    }
    x11_errors::Install();
    return display;
}

} // namespace

int RunX11Program(bool stop, const std::function<Form&()>& startup_form)
{
    if (!stop)
        return RunX11Program(X11BackendSetup{}, {}, startup_form);
    Display* display = OpenDisplay();
    if (!display)
        return kNoDisplay;
    int status = 0;
    {
        X11Connection connection(display);
        status = x11_stop::StopRunningWalkers(connection, std::cerr);
    }
    XCloseDisplay(display);
    return status;
}

int RunX11Program(X11BackendSetup setup, const std::vector<LoopSource*>& watched,
                  const std::function<Form&()>& startup_form)
{
    Display* display = OpenDisplay();
    if (!display)
        return kNoDisplay;
    if (x11_xwayland::UnderWlroots(display)) {
        std::fprintf(stderr, "walkers: this X display is XWayland under a wlroots compositor, "
                             "where the figures cannot be shaped; use --backend=wayland\n");
        XCloseDisplay(display);
        return kNoDisplay;
    }
    int status = 0;
    {
        X11Backend backend(display, std::move(setup));
        for (LoopSource* source : watched)
            backend.Watch(*source);
        status = RunOnBackend(backend, backend, "WALKERS_X11_STATS", startup_form);
    }
    XCloseDisplay(display);
    return status;
}
