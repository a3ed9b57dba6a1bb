// The program on an X display.
#pragma once

#include <functional>

class Form;

// Opens $DISPLAY and runs the program there; status 2 when there is no
// display or it is XWayland under a compositor walkers follows natively.
int RunX11Program(const std::function<Form&()>& startup_form);
