// walkers on GNOME Shell under Wayland: Mutter offers no layer-shell, and
// its Xwayland names no active window while a native one has the focus.
// The overlay is the X11 shaped window on Mutter's Xwayland, which honours
// its input shape, and the focused window comes from walkers' extension in
// the shell, over the session bus.
#pragma once

#include <functional>

class Form;
class SessionBus;

// Runs the program on GNOME Shell under Wayland; status 2, said in one line, without a bus, an X
// display or a running extension.
int RunOnGnomeShell(SessionBus* bus, const std::function<Form&()>& startup_form);
