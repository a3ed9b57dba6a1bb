#include "platform/wayland/wayland_program.h"

#include <cstdio>

#include "platform/shared/run_on_backend.h"
#include "platform/wayland/focus_source.h"
#include "platform/wayland/wayland_backend.h"

int RunWaylandProgram(WaylandConnection& connection, std::unique_ptr<FocusSource> focus,
                      const std::vector<LoopSource*>& watched,
                      const std::function<Form&()>& startup_form)
{
    if (focus->Name() == "none")
        std::fprintf(stderr, "%s\n", kNoFocusSourceMessage);
    WaylandBackend backend(connection, std::move(focus));
    for (LoopSource* source : watched)
        backend.Watch(*source);
    return RunOnBackend(backend, backend, "WALKERS_WAYLAND_STATS", startup_form);
}
