// The program on Windows: read the command line, install the Win32 backend,
// run the start-up form until no form is loaded, and hand back the exit
// status.
#include <iostream>

#include "platform/toolkit/application.h"
#include "platform/toolkit/application_title.h"
#include "platform/toolkit/command_line.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/win32/win32_backend.h"

int RunProgram(int argc, char* argv[], const std::function<Form&()>& startup_form)
{
    const std::vector<CommandOption> options = CommonOptions();
    const ParsedCommandLine line = ParseCommandLine(options, argc, argv);
    if (const std::optional<int> status = AnswerCommonOptions(line, options, std::cout, std::cerr))
        return *status;
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
