// The program on X11: the X display, the backend, the start-up form and
// the exit status; or, for --stop, ending the walkers running there.
#include "platform/x11/x11_program.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <malloc.h>

#include "platform/shared/end_signals.h"
#include "platform/toolkit/application.h"
#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_xwayland.h"

namespace {

// Status 2: there is nowhere to show the figures.
constexpr int kNoDisplay = 2;
constexpr int kKeptFreeMemory = 4 << 20;

} // namespace

int RunX11Program(bool stop, const std::function<Form&()>& startup_form)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        std::fprintf(stderr, "walkers: DISPLAY is not set\n");
        return kNoDisplay;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        std::fprintf(stderr, "walkers: cannot open the X display \"%s\"\n", name);
        return kNoDisplay;
    }
    x11_errors::Install();
    if (stop) {
        int status = 0;
        {
            X11Connection connection(display);
            status = x11_stop::StopRunningWalkers(connection, std::cerr);
        }
        XCloseDisplay(display);
        return status;
    }
    if (x11_xwayland::UnderWlroots(display)) {
        std::fprintf(stderr, "walkers: this X display is XWayland under a wlroots compositor, "
                             "where the figures cannot be shaped; use --backend=wayland\n");
        XCloseDisplay(display);
        return kNoDisplay;
    }
    end_signals::Install(std::getenv("WALKERS_X11_STATS") != nullptr);
    // Every tick frees and takes the same few hundred kilobytes: keep them
    // rather than hand them back to the system and ask again each time.
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
    int status = 0;
    {
        X11Backend backend(display);
        InstallBackend(&backend);
        InstallUser32Desktop(&backend);
        status = toolkit::RunStartupForm(startup_form());
        InstallUser32Desktop(nullptr);
        InstallBackend(nullptr);
    }
    XCloseDisplay(display);
    return status;
}
