// The desktop that the toolkit's behaviour tests run on, one adapter per
// backend: the simulated desktop on its virtual clock, a real X11Backend
// on a virtual X display, and the Win32 backend on the real message loop.
// The tests speak only through this, so each case is written once and
// holds on every backend alike; on the real ones time passes for real, so
// the tests judge the order and count of events, never their durations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/application.h"

class DesktopDriver {
public:
    virtual ~DesktopDriver() = default;

    // False when the desktop could not be set up.
    virtual bool Ready() const { return true; }

    // Loads the start-up form (Load, then Show) and runs the program until
    // no form is loaded; returns the exit status (0, 1 after a run-time
    // error). Every form object is gone afterwards.
    virtual int Run(Form& startup) = 0;
    template <class F>
    int Run()
    {
        return Run(toolkit::Instance<F>());
    }

    // The user clicks pixel (x, y) of the form's window; the click is
    // handled with the next events (the loop's, or a DoEvents).
    virtual void Click(Form& form, int x, int y) = 0;

    // The text of every message box, in order. Each returns at once, as if
    // dismissed straight away, unless boxes are shown for real.
    virtual const std::vector<std::string>& Messages() const = 0;
    // From now on a message box is really shown, and the user, who takes a
    // while to read it, dismisses it.
    virtual void ShowMessageBoxes() = 0;
    // How many boxes the user saw and dismissed that carried the
    // application's title, and their text as far as the desktop lets the
    // user read it back.
    virtual int BoxesDismissed() const = 0;
};

// The adapter of the backend this test program is built for.
std::unique_ptr<DesktopDriver> MakeDesktopDriver();
