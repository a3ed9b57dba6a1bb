// The program on an X display.
#pragma once

#include <functional>
#include <vector>

#include "platform/shared/loop_source.h"
#include "platform/x11/x11_backend_setup.h"

class Form;

// Opens $DISPLAY and runs the program there, or with `stop` ends the
// walkers running there. Status 2 when there is no display, or it is
// XWayland under a compositor walkers follows natively.
int RunX11Program(bool stop, const std::function<Form&()>& startup_form);

// Runs the program on $DISPLAY as `setup` says (the focus source, the
// visual), with `watched` (the session bus) in the event loop's poll.
int RunX11Program(X11BackendSetup setup, const std::vector<LoopSource*>& watched,
                  const std::function<Form&()>& startup_form);
