// The program's start on Linux: the command line, the X display, the
// backend, the start-up form and the exit status.
#include "platform/toolkit/program.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <malloc.h>

#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/command_line.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_signals.h"
#include "platform/x11/x11_stop.h"

namespace {

// Status 2: there is nowhere to show the figures.
constexpr int kNoDisplay = 2;
constexpr int kKeptFreeMemory = 4 << 20;

} // namespace

int RunProgram(int argc, char* argv[], const std::function<Form&()>& startup_form)
{
    std::vector<CommandOption> options = CommonOptions();
    options.push_back({"stop", 0, "", "end the walkers running on this display"});
    const ParsedCommandLine line = ParseCommandLine(options, argc, argv);
    if (const std::optional<int> status = AnswerCommonOptions(line, options, std::cout, std::cerr))
        return *status;

    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        std::fprintf(stderr, "walkers needs an X11 display (XWayland counts), and DISPLAY is "
                             "not set\n");
        return kNoDisplay;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        std::fprintf(stderr, "walkers needs an X11 display (XWayland counts), and cannot open "
                             "\"%s\"\n",
                     name);
        return kNoDisplay;
    }
    x11_errors::Install();
    if (line.Has("stop")) {
        int status = 0;
        {
            X11Connection connection(display);
            status = x11_stop::StopRunningWalkers(connection, std::cerr);
        }
        XCloseDisplay(display);
        return status;
    }
    x11_signals::Install(std::getenv("WALKERS_X11_STATS") != nullptr);
    // Every tick frees and takes the same few hundred kilobytes: keep them
    // rather than hand them back to the system and ask again each time.
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
    int status = 0;
    {
        X11Backend backend(display);
        InstallBackend(&backend);
        InstallUser32Desktop(&backend);
        status = toolkit::RunStartupForm(startup_form());
        InstallUser32Desktop(nullptr);
        InstallBackend(nullptr);
    }
    XCloseDisplay(display);
    return status;
}
