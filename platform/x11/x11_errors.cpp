#include "platform/x11/x11_errors.h"

#include <X11/Xproto.h>
#include <cstdio>
#include <unistd.h>

namespace x11_errors {

namespace {

XErrorHandler xlib_error_handler = nullptr;

// The innermost trap, the connection it watches, and the first error it
// caught there.
ErrorTrap* active_trap = nullptr;
Display* trapped_display = nullptr;
int trapped_code = Success;

int HandleError(Display* display, XErrorEvent* error)
{
    if (active_trap && display == trapped_display) {
        if (trapped_code == Success)
            trapped_code = error->error_code;
        return 0;
    }
    if (IsRace(*error))
        return 0;
    return xlib_error_handler(display, error); // prints and exits
}

int HandleLostConnection(Display*) { LostConnection(); }

} // namespace

void LostConnection()
{
    // Xlib cannot go on after this, and unwinding from here is not allowed:
    // say why, then end at once.
    static const char message[] = "walkers: lost the connection to the X display\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(1);
}

void Report(Display* display, XErrorEvent& error) { HandleError(display, &error); }

void Install()
{
    XErrorHandler previous = XSetErrorHandler(HandleError);
    if (!xlib_error_handler)
        xlib_error_handler = previous;
    XSetIOErrorHandler(HandleLostConnection);
}

namespace {

// Requests about other clients' windows that fail with more than BadWindow
// when the window went away meanwhile.
struct RaceError {
    unsigned char request;
    unsigned char error;
};
constexpr RaceError kRaceErrors[] = {
    {X_GetGeometry, BadDrawable},
};

} // namespace

bool IsRace(const XErrorEvent& error)
{
    if (error.error_code == BadWindow)
        return true;
    for (const RaceError& race : kRaceErrors) {
        if (error.request_code == race.request && error.error_code == race.error)
            return true;
    }
    return false;
}

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(active_trap)
{
    XSync(display_, False); // earlier requests' errors are not ours
    outer_code_ = trapped_code;
    active_trap = this;
    trapped_display = display_;
    trapped_code = Success;
}

ErrorTrap::~ErrorTrap()
{
    active_trap = outer_;
    trapped_display = outer_ ? outer_->display_ : nullptr;
    trapped_code = outer_code_;
}

int ErrorTrap::Sync()
{
    XSync(display_, False);
    return trapped_code;
}

} // namespace x11_errors
