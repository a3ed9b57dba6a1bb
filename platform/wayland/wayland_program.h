// The program on a Wayland compositor.
#pragma once

#include <functional>

class Form;
class WaylandConnection;

// Runs the program on `connection`, which must be Usable().
int RunWaylandProgram(WaylandConnection& connection, const std::function<Form&()>& startup_form);
