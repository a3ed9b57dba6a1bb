#include "platform/win32/win32_event_gate.h"

#include <exception>
#include <utility>

namespace win32 {

namespace {

std::exception_ptr kept;
int modal_depth = 0;

} // namespace

void RunEventHandler(const std::function<void()>& handler)
{
    if (kept || modal_depth > 0)
        return;
    try {
        handler();
    } catch (...) {
        kept = std::current_exception();
    }
}

void RethrowKept()
{
    if (kept)
        std::rethrow_exception(std::exchange(kept, nullptr));
}

void DropKept() { kept = nullptr; }

ModalScope::ModalScope() { ++modal_depth; }
ModalScope::~ModalScope() { --modal_depth; }

} // namespace win32
