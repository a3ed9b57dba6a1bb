// The program's start on Linux: the command line, then a Wayland
// compositor that offers layer-shell, else an X display, unless the
// command line chooses.
#include "platform/toolkit/program.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/linux/backend_option.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_program.h"
#include "platform/x11/x11_program.h"

namespace {

// Status 2: there is nowhere to show the figures, or the command line is wrong.
constexpr int kNoDisplay = 2;

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int RunProgram(int argc, char* argv[], const std::function<Form&()>& startup_form)
{
    std::vector<CommandOption> options = CommonOptions();
    options.push_back({"stop", 0, "", "end the walkers running on this X display"});
    options.push_back(BackendOption());
    const ParsedCommandLine line = ParseCommandLine(options, argc, argv);
    if (const std::optional<int> status = AnswerCommonOptions(line, options, std::cout, std::cerr))
        return *status;
    std::string error;
    const std::optional<BackendChoice> choice = ChosenBackend(line, error);
    if (!choice) {
        std::fprintf(stderr, "walkers: %s\n", error.c_str());
        return kNoDisplay;
    }
    // Only X11 lets one program end another's windows.
    if (*choice == BackendChoice::kX11 || line.Has("stop"))
        return RunX11Program(line.Has("stop"), startup_form);
    if (*choice == BackendChoice::kWayland || Set("WAYLAND_DISPLAY")) {
        WaylandConnection connection;
        if (connection.Usable())
            return RunWaylandProgram(connection, startup_form);
        if (*choice == BackendChoice::kWayland) {
            std::fprintf(stderr, "walkers: %s\n",
                         connection.Connected()
                             ? "the Wayland compositor offers no layer-shell overlay"
                             : "cannot connect to a Wayland compositor (WAYLAND_DISPLAY)");
            return kNoDisplay;
        }
    }
    if (Set("DISPLAY"))
        return RunX11Program(false, startup_form);
    std::fprintf(stderr, "walkers needs a Wayland compositor with layer-shell (WAYLAND_DISPLAY) "
                         "or an X11 display (DISPLAY), and has neither\n");
    return kNoDisplay;
}
