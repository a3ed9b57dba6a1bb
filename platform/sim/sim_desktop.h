// The simulated desktop: a headless window system with real state, where
// the test is the user and the clock. It is the toolkit's backend and the
// desktop behind the project's user32 calls at once.
//
// Other programs' windows are scripted by the test; forms get windows of
// their own. Time is virtual: timers fire only inside Advance (or a DoEvents
// called while a handler runs), at exactly their due times, and no time
// passes while a handler runs. Make one per test: each starts a fresh world
// (no windows, the clock at 0, the random source reset).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/sim/sim_screen.h"
#include "platform/sim/sim_screenshot.h"
#include "platform/sim/sim_timers.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/backend.h"

class SimFormWindow;
class SimWindowStack;

// How often each user32 call reached the desktop.
struct SimCallCounts {
    int foreground_window = 0; // GetForegroundWindow
    int window_text = 0;       // GetWindowTextA
    int window_rect = 0;       // GetWindowRect
    int system_metrics = 0;    // GetSystemMetrics
    int set_window_region = 0; // SetWindowRgn
    int set_window_pos = 0;    // SetWindowPos

    // The calls that look at other programs' windows.
    int Probes() const { return foreground_window + window_text + window_rect; }
};

class SimDesktop final : public Backend, public User32Desktop {
public:
    SimDesktop();
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // --- Other programs' windows. A new one opens visible, in front and in
    // the foreground, as a freshly started program's would.
    HWND AddWindow(std::string title, RECT rect);
    void SetTitle(HWND window, std::string title);
    void SetWindowRect(HWND window, RECT rect);
    void Close(HWND window);
    // Any window, a form's too; null leaves no foreground window. The
    // window comes to the top of its band.
    void SetForeground(HWND window);
    HWND Foreground() const;
    // Visible windows, top first.
    std::vector<HWND> ZOrder() const;
    int ClicksReceivedBy(HWND window) const;
    bool IsTopmost(HWND window) const;
    // The window of a loaded form, or null.
    SimFormWindow* FormWindow(HWND window) const;

    // --- The screen.
    void SetScreenSize(int width, int height);
    void SetTwipsPerPixel(float x, float y);
    void SetTaskbarHeight(int pixels);
    // Fixes GetSystemMetrics(index), ahead of what the screen implies.
    void SetSystemMetric(int index, int value);

    // --- Time and input.
    int64_t Now() const { return timers_.Now(); }
    // Handles queued clicks, then moves the clock `ms` forward, firing due
    // timers in time order (ties in start order) and handling clicks queued
    // on the way. Advance(0) handles what is pending now. The program's end
    // is caught here (see Ended).
    void Advance(int ms);
    // Queues a click at screen pixel (x, y) for the next event handling.
    void Click(int x, int y);
    // Runs once inside every ProcessPendingEvents (so inside every DoEvents),
    // before the events are handled: a test can click in the middle of a tick.
    std::function<void()> DuringEventProcessing;
    int EventProcessingCount() const { return event_processing_count_; }
    std::size_t RunningTimers() const { return timers_.RunningCount(); }

    // --- The program. Start loads the start-up form (Load, then Show); the
    // program ends when its last form unloads (status 0), at End, or after a
    // run-time error's message (status 1). Then every form and window is
    // released, so a form reference from Start is good only while it runs.
    template <class F>
    F& Start()
    {
        F& form = toolkit::Instance<F>();
        Start(form);
        return form;
    }
    void Start(Form& startup);
    bool Running() const { return started_ && !ended_; }
    bool Ended() const { return ended_; }
    int ExitStatus() const { return exit_status_; }

    // Message boxes shown, in order; each was dismissed at once.
    const std::vector<std::string>& Messages() const { return messages_; }
    const SimCallCounts& CallCounts() const { return calls_; }
    void ResetCallCounts() { calls_ = {}; }
    SimScreenshot Capture() const;

    // --- Backend
    std::unique_ptr<NativeWindow> NewWindow(Form& form) override;
    void StartTimer(Timer& timer, int interval_ms) override;
    void StopTimer(Timer& timer) override;
    void ProcessPendingEvents() override;
    void RunLoop() override;
    void ShowMessage(const std::string& text) override;
    float TwipsPerPixelX() override { return screen_.twips_per_pixel_x; }
    float TwipsPerPixelY() override { return screen_.twips_per_pixel_y; }
    int ScreenWidthPixels() override { return screen_.width; }
    int ScreenHeightPixels() override { return screen_.height; }

    // --- User32Desktop
    HWND ForegroundWindow() override;
    int WindowText(HWND hwnd, char* buffer, int max_count) override;
    bool WindowRect(HWND hwnd, RECT* rect) override;
    int SystemMetric(int index) override;
    bool SetWindowRegion(HWND hwnd, HRGN region, bool redraw) override;
    bool SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                           unsigned flags) override;

private:
    struct QueuedClick {
        int x, y;
    };

    void HandleQueuedClicks();
    void DeliverClick(QueuedClick click);
    void FireTimer(Timer& timer);
    // Runs a part of the program (its start, a stretch of time), turning its
    // end into the desktop's state.
    void RunPart(const std::function<void()>& part);
    void EndProgram(int status);

    std::shared_ptr<SimWindowStack> stack_;
    SimScreen screen_;
    SimTimers timers_;
    std::deque<QueuedClick> clicks_;
    std::vector<std::string> messages_;
    SimCallCounts calls_;
    int event_processing_count_ = 0;
    bool started_ = false;
    bool ended_ = false;
    int exit_status_ = 0;
};
