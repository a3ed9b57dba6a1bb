// The toolkit on Windows: forms are top-level windows, timers run on
// SetTimer, events come through the thread's message queue.
#pragma once

#include "platform/toolkit/backend.h"
#include "platform/win32/win32_timers.h"

class Win32Backend : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    std::unique_ptr<NativeWindow> NewWindow(Form& form) override;
    void StartTimer(Timer& timer, int interval_ms) override;
    void StopTimer(Timer& timer) override;
    // PeekMessage until the queue is empty; win32_message_loop.cpp.
    void ProcessPendingEvents() override;
    // GetMessage until no form is loaded; win32_message_loop.cpp.
    void RunLoop() override;
    // MessageBoxA; while it is up the program's own events are held back.
    void ShowMessage(const std::string& text) override;
    // 1440 twips an inch over the screen's logical pixels an inch, which
    // stay as they were at start for the process's life.
    float TwipsPerPixelX() override { return twips_per_pixel_x_; }
    float TwipsPerPixelY() override { return twips_per_pixel_y_; }
    int ScreenWidthPixels() override;
    int ScreenHeightPixels() override;

private:
    Win32Timers timers_;
    float twips_per_pixel_x_;
    float twips_per_pixel_y_;
};
