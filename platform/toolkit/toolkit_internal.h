// The toolkit's own plumbing, shared by its files and no one else: the
// guard that turns a handler's run-time error into the program's end, and
// the list of loaded forms that a form keeps up to date as it loads and
// unloads.
#pragma once

#include <functional>

class Form;

namespace toolkit {

// Runs an event handler; a run-time error in it shows the standard message
// and ends the program (ProgramEnded with status 1).
void RunHandler(const std::function<void()>& handler);

void FormLoaded(Form& form);
void FormUnloaded(Form& form);

} // namespace toolkit
