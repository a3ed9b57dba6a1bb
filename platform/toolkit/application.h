// The toolkit's program-wide services: the loaded forms, Unload, DoEvents,
// the message box, the end of the program, and the default instance by
// which code refers to a form (the first reference loads it, hidden).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/form.h"

// The loaded forms, in the order they were loaded. A snapshot: forms that
// unload while the caller walks it stay valid objects, and Unload of an
// already unloaded form does nothing.
std::vector<Form*> Forms();

// Asks QueryUnload, then unloads. When the last form unloads the program
// ends (the backend's loop returns).
void Unload(Form& form);

// Handles every pending event (clicks, due timers, repaints), then returns.
void DoEvents();

// Modal: shows the text with an OK button, returns when dismissed.
void MsgBox(const std::string& text);

// Ends the program at once: no QueryUnload or unload handler runs.
[[noreturn]] void End();

bool AnyFormLoaded();

namespace toolkit {

// Holds every form object the program made, for the whole run.
Form& Keep(std::unique_ptr<Form> form);
// Counts runs, so that default instances are made anew for each run.
unsigned RunGeneration();

template <class F>
F& Instance()
{
    static F* instance = nullptr;
    static unsigned generation = 0;
    if (!instance || generation != RunGeneration()) {
        instance = static_cast<F*>(&Keep(std::make_unique<F>()));
        generation = RunGeneration();
    }
    return *instance;
}

// Loads the start-up form (Load, then Show) without running the loop.
void LoadStartupForm(Form& form);

// Loads the start-up form (Load, then Show) and runs the event loop until no
// form is loaded. A run-time error shows its standard message and ends the
// program. Returns the exit status: 0, or 1 after a run-time error.
int RunStartupForm(Form& form);

// Destroys every form object and window without events: the end of a run.
// The next run starts with new form objects.
void EndRun();

} // namespace toolkit

// The default instance of a form class: the first reference loads it,
// hidden; a reference after it was unloaded loads it again.
template <class F>
F& DefaultInstance()
{
    F& form = toolkit::Instance<F>();
    if (!form.IsLoaded())
        form.LoadForm();
    return form;
}
