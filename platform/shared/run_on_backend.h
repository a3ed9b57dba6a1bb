// The start every backend of the program shares once its desktop is open:
// the signals that end it, the memory a tick reuses, the backend installed
// for the toolkit and for the Windows calls, and the start-up form run to
// its end.
#pragma once

#include <functional>

class Backend;
class Form;
class User32Desktop;

// The exit status of the start-up form. `stats_variable` names the
// environment variable that asks for statistics (on SIGUSR1 and at the end).
int RunOnBackend(Backend& backend, User32Desktop& desktop, const char* stats_variable,
                 const std::function<Form&()>& startup_form);
