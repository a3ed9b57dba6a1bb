// `walkers --stop`: the running walkers are found by a property on their
// shown windows (the user who runs them) and asked to end by a client
// message, which the running program takes as a click on the figures: its
// forms unload the usual way and it exits with status 0.
#pragma once

#include <iosfwd>
#include <xcb/xcb.h>

class X11Connection;

namespace x11_stop {

// Marks a shown form window as one that --stop may end.
void MarkStoppable(X11Connection& x, xcb_window_t window);

// Asks every walkers of this user on the display to end and waits until
// their windows are gone. Status 0 when they ended, 1 when none runs (said
// on `err`) or one did not end in time.
int StopRunningWalkers(X11Connection& x, std::ostream& err);

} // namespace x11_stop
