// The message loops: DoEvents's and the program's. Whatever a handler threw
// is thrown again here, once user32 is no longer on the stack.
#include "platform/toolkit/application.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_event_gate.h"

void Win32Backend::ProcessPendingEvents()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::RethrowKept(); // from a message sent to us while peeking
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam)); // for the program's loop
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
        win32::RethrowKept();
    }
    win32::RethrowKept();
}

void Win32Backend::RunLoop()
{
    MSG message;
    while (AnyFormLoaded()) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        win32::RethrowKept();
        if (got == 0) // WM_QUIT ends the program with its code, without events
            throw ProgramEnded{int(message.wParam)};
        if (got == -1)
            throw RuntimeError(7, "Out of memory");
        TranslateMessage(&message);
        DispatchMessageA(&message);
        win32::RethrowKept();
    }
}
