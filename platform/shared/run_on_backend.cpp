#include "platform/shared/run_on_backend.h"

#include <cstdlib>
#include <malloc.h>

#include "platform/shared/end_signals.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/user32_desktop.h"

namespace {

constexpr int kKeptFreeMemory = 4 << 20;

} // namespace

int RunOnBackend(Backend& backend, User32Desktop& desktop, const char* stats_variable,
                 const std::function<Form&()>& startup_form)
{
    end_signals::Install(std::getenv(stats_variable) != nullptr);
    // Every tick frees and takes the same few hundred kilobytes: keep them
    // rather than hand them back to the system and ask again each time.
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
    InstallBackend(&backend);
    InstallUser32Desktop(&desktop);
    const int status = toolkit::RunStartupForm(startup_form());
    InstallUser32Desktop(nullptr);
    InstallBackend(nullptr);
    return status;
}
