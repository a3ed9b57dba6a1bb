// The program on X11: the X display, the backend, the start-up form and
// the exit status; or, for --stop, ending the walkers running there.
#include "platform/x11/x11_program.h"

#include <cstdio>
#include <iostream>

#include "platform/shared/run_on_backend.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_stop.h"
#include "platform/x11/x11_xwayland.h"

namespace {

// Status 2: there is nowhere to show the figures.
constexpr int kNoDisplay = 2;

// $DISPLAY, opened, or null having said why. The connection closes with
// its owner.
std::unique_ptr<X11Connection> OpenDisplay(bool argb_visual)
{
    std::string why;
    std::unique_ptr<X11Connection> connection = X11Connection::Open(nullptr, argb_visual, why);
    if (!connection)
        std::fprintf(stderr, "walkers: %s\n", why.c_str());
    return connection;
}

} // namespace

int RunX11Program(bool stop, const std::function<Form&()>& startup_form)
{
    if (!stop)
        return RunX11Program(X11BackendSetup{}, {}, startup_form);
    std::unique_ptr<X11Connection> connection = OpenDisplay(false);
    if (!connection)
        return kNoDisplay;
    return x11_stop::StopRunningWalkers(*connection, std::cerr);
}

int RunX11Program(X11BackendSetup setup, const std::vector<LoopSource*>& watched,
                  const std::function<Form&()>& startup_form)
{
    std::unique_ptr<X11Connection> connection = OpenDisplay(setup.argb_visual);
    if (!connection)
        return kNoDisplay;
    if (x11_xwayland::UnderWlroots(*connection)) {
        std::fprintf(stderr, "walkers: this X display is XWayland under a wlroots compositor, "
                             "where the figures cannot be shaped; use --backend=wayland\n");
        return kNoDisplay;
    }
    X11Backend backend(std::move(connection), std::move(setup));
    for (LoopSource* source : watched)
        backend.Watch(*source);
    return RunOnBackend(backend, backend.Desktop(), "WALKERS_X11_STATS", startup_form);
}
