// The program on an X display.
#pragma once

#include <functional>

class Form;

// Opens $DISPLAY and runs the program there, or with `stop` ends the
// walkers running there. Status 2 when there is no display, or it is
// XWayland under a compositor walkers follows natively.
int RunX11Program(bool stop, const std::function<Form&()>& startup_form);
