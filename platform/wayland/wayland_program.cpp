#include "platform/wayland/wayland_program.h"

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

#include "platform/shared/end_signals.h"
#include "platform/toolkit/application.h"
#include "platform/wayland/focus_source.h"
#include "platform/wayland/wayland_backend.h"

namespace {

constexpr int kKeptFreeMemory = 4 << 20;

} // namespace

int RunWaylandProgram(WaylandConnection& connection, std::unique_ptr<FocusSource> focus,
                      const std::vector<LoopSource*>& watched,
                      const std::function<Form&()>& startup_form)
{
    if (focus->Name() == "none")
        std::fprintf(stderr, "%s\n", kNoFocusSourceMessage);
    end_signals::Install(std::getenv("WALKERS_WAYLAND_STATS") != nullptr);
    // Every tick frees and takes the same few hundred kilobytes: keep them.
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
    WaylandBackend backend(connection, std::move(focus));
    for (LoopSource* source : watched)
        backend.Watch(*source);
    InstallBackend(&backend);
    InstallUser32Desktop(&backend);
    const int status = toolkit::RunStartupForm(startup_form());
    InstallUser32Desktop(nullptr);
    InstallBackend(nullptr);
    return status;
}
