// The toolkit's timers on SetTimer: one hidden message-only window receives
// every WM_TIMER; each start takes a fresh id, so a tick of a stopped or
// restarted timer that was already queued can never reach it.
#pragma once

#include <unordered_map>

#include "platform/winapi.h"

class Timer;

class Win32Timers {
public:
    Win32Timers();
    ~Win32Timers();
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;

    // Starting a running timer restarts its interval.
    void Start(Timer& timer, int interval_ms);
    void Stop(Timer& timer);

private:
    static const char* WindowClass();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Fire(UINT_PTR id);

    HWND window_;
    UINT_PTR next_id_ = 1;
    std::unordered_map<Timer*, UINT_PTR> ids_;
    std::unordered_map<UINT_PTR, Timer*> timers_;
};
