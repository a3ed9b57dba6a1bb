// The Wayland desktop: the toolkit's backend and the desktop behind the
// project's user32 calls at once. Form windows are overlay surfaces; the
// probe's questions are answered by a focus source (the compositor's IPC or
// script), refreshed once per tick; the display, the focus source's events,
// the watched sources (the session bus) and the timers share one poll.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared/loop_source.h"
#include "platform/shared/poll_timers.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/wayland/focus_source.h"
#include "platform/wayland/wayland_connection.h"

class WaylandFormWindow;

class WaylandBackend final : public Backend, public User32Desktop {
public:
    // Takes a usable connection; the caller ends it after the backend.
    WaylandBackend(WaylandConnection& connection, std::unique_ptr<FocusSource> focus);
    ~WaylandBackend() override;
    WaylandBackend(const WaylandBackend&) = delete;
    WaylandBackend& operator=(const WaylandBackend&) = delete;

    // --- Backend
    std::unique_ptr<NativeWindow> NewWindow(Form& form) override;
    void StartTimer(Timer& timer, int interval_ms) override;
    void StopTimer(Timer& timer) override;
    void ProcessPendingEvents() override;
    void RunLoop() override;
    void ShowMessage(const std::string& text) override;
    float TwipsPerPixelX() override { return kTwipsPerPixel; }
    float TwipsPerPixelY() override { return kTwipsPerPixel; }
    int ScreenWidthPixels() override;
    int ScreenHeightPixels() override;

    // --- User32Desktop
    HWND ForegroundWindow() override;
    int WindowText(HWND hwnd, char* buffer, int max_count) override;
    bool WindowRect(HWND hwnd, RECT* rect) override;
    int SystemMetric(int index) override;
    bool SetWindowRegion(HWND hwnd, HRGN region, bool redraw) override;
    bool SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                           unsigned flags) override;

    // Polls `source` beside the display from now on; when it is gone for
    // good the program ends with its one line. It outlives the backend.
    void Watch(LoopSource& source) { watched_.push_back(&source); }

    WaylandConnection& Connection() { return connection_; }
    // One line of counters since the start (WALKERS_WAYLAND_STATS, SIGUSR1),
    // for tools/measure-wayland-cpu.sh.
    void ReportStats();
    void Forget(HWND handle) { windows_.erase(handle); }

    static constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch
    // The caption height the canvas leaves above the full-screen area.

private:
    WaylandFormWindow* FindForm(HWND hwnd) const;
    // Reads and dispatches what the compositor sent, waiting at most
    // `timeout_ms` (-1: for ever) for something to arrive.
    void Dispatch(int timeout_ms);
    void ActOnClicks();
    void FireDueTimers();
    // Lets each watched source take what arrived; ends the program when one is gone.
    void ProcessWatched(const pollfd* descriptors, int waited_ms);
    [[noreturn]] void LostCompositor();

    WaylandConnection& connection_;
    std::unique_ptr<FocusSource> focus_;
    std::optional<FocusedWindow> focused_; // as the focus source last told
    PollTimers timers_;
    std::vector<LoopSource*> watched_;
    std::vector<pollfd> poll_set_; // kept, so a turn of the loop allocates nothing
    std::map<HWND, WaylandFormWindow*> windows_;
    HWND pressed_ = nullptr;    // the window a held button was pressed on
    std::vector<HWND> clicked_; // clicks on figures, acted on in the loop
    uintptr_t next_handle_;
    uint64_t ticks_ = 0;
};
