// A virtual X desktop for one test: its own Xvfb on a display number the
// server picks itself (so tests run side by side), optionally a window
// manager, and what a test needs to look at it: screenshots of the root,
// the foreground window, a window's frame as a person sees it, xdotool.
#pragma once

#include <X11/Xlib.h>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, row after row

    uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    // Writes a PPM next to the test's output, for a look after a failure.
    void Save(const std::string& path) const;
};

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
};

class XSession {
public:
    struct Options {
        int width = 1280;
        int height = 800;
        bool window_manager = true;
        // The root's colour: a backdrop that is neither black nor brown.
        uint32_t root_colour = 0x304860;
    };
    explicit XSession(const Options& options);
    XSession() : XSession(Options{}) {}
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool Ready() const { return display_ != nullptr; }
    const std::string& Name() const { return name_; }
    // This display only: never a Wayland compositor the tests run under.
    std::map<std::string, std::string> Environment() const
    {
        // No session bus: --stop then reaches the walkers of this display
        // alone, and never those of the person running the tests.
        return {{"DISPLAY", name_},
                {"WAYLAND_DISPLAY", ""},
                {"DBUS_SESSION_BUS_ADDRESS", ""},
                {"XDG_RUNTIME_DIR", ""}};
    }
    Display* display() const { return display_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    Screenshot Capture() const;
    // The window named by _NET_ACTIVE_WINDOW (None without one).
    Window ActiveWindow() const;
    // A top-level client window whose title is `title`, or None.
    Window FindWindow(const std::string& title) const;
    // Every one of them.
    std::vector<Window> FindWindows(const std::string& title) const;
    // Whether the window is mapped and all its ancestors are.
    bool Viewable(Window window) const;
    // The frame as a person sees it: the window and its decorations.
    Box Frame(Window client) const;

    // Runs xdotool here and returns its output; empty on failure.
    std::string Xdotool(const std::vector<std::string>& arguments) const;
    void StartWindowManager();
    // Ends the window manager with `signal`.
    void StopWindowManager(int signal);
    // Kills the X server itself; the session is of no use afterwards.
    void KillServer();
    pid_t ServerPid() const { return server_ ? server_->Pid() : -1; }

private:
    std::unique_ptr<Process> server_;
    std::unique_ptr<Process> window_manager_;
    Display* display_ = nullptr;
    std::string name_;
    int width_;
    int height_;
};

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
