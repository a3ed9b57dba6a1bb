#include "platform/win32/win32_timers.h"

#include "platform/toolkit/events.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/toolkit/timer.h"
#include "platform/win32/win32_event_gate.h"

const char* Win32Timers::WindowClass()
{
    static const char* const name = [] {
        const char* class_name = "WalkersTimers";
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = &Win32Timers::WindowProc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = class_name;
        if (!RegisterClassExA(&window_class))
            throw RuntimeError(7, "Out of memory");
        return class_name;
    }();
    return name;
}

Win32Timers::Win32Timers()
    : window_(CreateWindowExA(0, WindowClass(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr))
{
    if (!window_)
        throw RuntimeError(7, "Out of memory");
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Timers::~Win32Timers() { DestroyWindow(window_); } // its timers go with it

void Win32Timers::Start(Timer& timer, int interval_ms)
{
    Stop(timer);
    const UINT_PTR id = next_id_++;
    if (!SetTimer(window_, id, UINT(interval_ms), nullptr))
        throw RuntimeError(7, "Out of memory"); // no timer left
    ids_[&timer] = id;
    timers_[id] = &timer;
}

void Win32Timers::Stop(Timer& timer)
{
    auto found = ids_.find(&timer);
    if (found == ids_.end())
        return;
    KillTimer(window_, found->second);
    timers_.erase(found->second);
    ids_.erase(found);
}

void Win32Timers::Fire(UINT_PTR id)
{
    auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    Timer* timer = found->second;
    win32::RunEventHandler([timer] { toolkit::DeliverTimer(*timer); });
}

LRESULT CALLBACK Win32Timers::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_TIMER) {
        auto* timers = reinterpret_cast<Win32Timers*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (timers)
            timers->Fire(UINT_PTR(wparam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
