#include "forms/stored_forms.h"

// The start-up form: borderless (so its client area starts at the window's
// corner and a window region lines up with what is painted), no taskbar
// button, and the timer that drives the walkers.
const FormDefinition& Form1Definition()
{
    static const FormDefinition definition{
        .Name = "Form1",
        .Caption = "Form1",
        .BorderStyle = 0,
        .ShowInTaskbar = false,
        .StartUpPosition = 3,
        .ClientLeft = 0,
        .ClientTop = 0,
        .ClientWidth = 4680,
        .ClientHeight = 3120,
        .ScaleMode = 1,
        .StoredAutoRedraw = 0,
        .Palette = -1,
        .Timers = {{.Name = "Timer1", .Interval = 50, .Enabled = true}},
        .ImageArrays = {},
    };
    return definition;
}
