// X errors. Other clients' windows come and go at any moment, so a request
// about one may fail; one installed handler ignores those failures and
// passes anything else (a fault of this program's own) to Xlib's handler. A
// call that must report failure to its caller traps the errors of its
// requests: record around the request, sync, check.
#pragma once

#include <X11/Xlib.h>

namespace x11_errors {

// Installs the error handler and the I/O error handler: losing the
// connection ends the program with one line on stderr and status 1.
void Install();

// Passes an error that came with the events to the installed handler.
void Report(Display* display, XErrorEvent& error);

// Ends the program as the I/O error handler does: one line, status 1.
[[noreturn]] void LostConnection();

// Whether an error is one of the races with other clients that the handler
// ignores: BadWindow from any request, and a short list of other
// (request, error) pairs that a vanished window causes.
bool IsRace(const XErrorEvent& error);

// Records the first error of the requests made while it lives.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has handled every request so far (a round
    // trip) and returns the first error code, or Success.
    int Sync();

private:
    Display* display_;
    ErrorTrap* outer_;
    int outer_code_ = Success;
};

} // namespace x11_errors
