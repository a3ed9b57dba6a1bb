// The gate between window procedures and the toolkit's handlers.
//
// A handler may throw: ProgramEnded and RuntimeError unwind to the run loop
// to end the program. Exceptions must not unwind through user32's frames,
// so a window procedure runs its handler through RunEventHandler, which
// keeps what was thrown; RethrowKept throws it again once control is back
// in the message loop (after DispatchMessage, PeekMessage or GetMessage).
// While an exception is kept, or a message box is up, no handler runs.
#pragma once

#include <functional>

namespace win32 {

void RunEventHandler(const std::function<void()>& handler);
void RethrowKept();
// Forgets a kept exception: a new run starts clean.
void DropKept();

// While one exists, handlers are held back: the message box is modal for
// the program's own events, though its loop still dispatches them.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

} // namespace win32
