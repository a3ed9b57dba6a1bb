// The program on a Wayland compositor.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/focus/focus_source.h"
#include "platform/shared/loop_source.h"

class Form;
class WaylandConnection;

// Runs the program on `connection`, which must be Usable(), following the
// windows `focus` names, with `watched` (the session bus) in its poll.
int RunWaylandProgram(WaylandConnection& connection, std::unique_ptr<FocusSource> focus,
                      const std::vector<LoopSource*>& watched,
                      const std::function<Form&()>& startup_form);
