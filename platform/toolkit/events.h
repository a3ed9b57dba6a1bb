// The events a backend delivers to the program, one entry for each kind.
// Each runs the program's handler; a run-time error in it shows the
// standard message and ends the program (ProgramEnded with status 1), so a
// backend only finds the form or timer and calls in. An event for a form
// that is no longer loaded is dropped.
#pragma once

class Form;
class Timer;

namespace toolkit {

// A click inside the form's window: Form_Click.
void DeliverClick(Form& form);
// The window's close button: QueryUnload from the control menu, then the
// unload unless it was cancelled.
void DeliverClose(Form& form);
// An interval of a running timer has passed: its Timer event.
void DeliverTimer(Timer& timer);

} // namespace toolkit
