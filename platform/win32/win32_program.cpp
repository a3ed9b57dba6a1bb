// The program on Windows: install the Win32 backend, run the start-up form
// until no form is loaded, and hand back the exit status.
#include "platform/toolkit/application.h"
#include "platform/toolkit/application_title.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/win32/win32_backend.h"

int RunProgram(const std::function<Form&()>& startup_form)
{
    int status = 1;
    try {
        Win32Backend backend;
        InstallBackend(&backend);
        status = toolkit::RunStartupForm(startup_form());
    } catch (const RuntimeError& error) {
        // Only a failure to set up the desktop gets here; handlers' errors
        // end the program inside RunStartupForm.
        MessageBoxA(nullptr, error.Message().c_str(), WALKERS_APPLICATION_TITLE, MB_OK);
    }
    InstallBackend(nullptr);
    return status;
}
