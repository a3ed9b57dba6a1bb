#include "platform/wayland/wayland_program.h"

#include <cstdio>

#include "platform/shared/run_on_backend.h"
#include "platform/wayland/wayland_backend.h"

int RunWaylandProgram(WaylandConnection& connection, const std::function<Form&()>& startup_form)
{
    std::unique_ptr<FocusSource> focus = FindFocusSource();
    if (focus->Name() == "none")
        std::fprintf(stderr, "%s\n", kNoFocusSourceMessage);
    WaylandBackend backend(connection, std::move(focus));
    return RunOnBackend(backend, backend, "WALKERS_WAYLAND_STATS", startup_form);
}
